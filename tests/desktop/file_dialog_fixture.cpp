#include "tests/desktop/file_dialog_fixture.h"

#include "tests/support/wav_fixture.h"

#include <cmath>

CFileDialogFixture::CFileDialogFixture()
    : profile_(std::make_unique<ZQ3::Desktop::CIniProfile>(folder_ / "settings.ini")) {}

void CFileDialogFixture::reopenProfile() {
    profile_.reset();
    profile_ = std::make_unique<ZQ3::Desktop::CIniProfile>(folder_ / "settings.ini");
}

QString CFileDialogFixture::writeWav(const QString& name, std::uint32_t rate, int channels,
                                     int bitsPerSample, std::uint32_t frames) const {
    const QString file = path(name);
    const double peak = std::ldexp(1.0, bitsPerSample - 2);
    ZQ3::Fixture::WriteWav(file.toStdString(), rate, channels, bitsPerSample, frames,
                           [peak, rate](std::uint32_t frame, int channel) {
                               const double phase =
                                   2.0 * M_PI * 440.0 * (channel + 1) * frame / rate;
                               return static_cast<std::int32_t>(peak * std::sin(phase));
                           });
    return file;
}
