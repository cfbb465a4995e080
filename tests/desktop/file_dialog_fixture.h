#pragma once

#include "desktop/ini_profile.h"
#include "tests/support/temporary_directory.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

// A folder of the test's own with a settings store in it, and WAV files made on request.
class CFileDialogFixture {
public:
    CFileDialogFixture();

    QString folder() const { return QString::fromStdString(folder_.path()); }
    QString path(const QString& name) const { return folder() + QLatin1Char('/') + name; }
    ZQ3::Desktop::CIniProfile& profile() { return *profile_; }
    // Closes the settings store, writing it out, and opens it again from its file, as the next
    // run of the program does.
    void reopenProfile();

    // A WAV file of frames frames of a tone, in the given shape; returns its path.
    QString writeWav(const QString& name, std::uint32_t rate, int channels, int bitsPerSample,
                     std::uint32_t frames) const;

private:
    ZQ3::Fixture::TemporaryDirectory folder_;
    std::unique_ptr<ZQ3::Desktop::CIniProfile> profile_;
};
