#pragma once

#include "gt/profile.h"

#include <QSettings>

#include <memory>
#include <string>

namespace ZQ3::Desktop {

// The settings store of the desktop program: an INI file in the user's configuration folder
// (XDG), under the maker "Keldra" and the application title. Every value is kept as text, so
// the file stays readable and editable by hand.
class CIniProfile : public GT::IProfile {
public:
    static constexpr const char* Organisation = "Keldra";
    static constexpr const char* Application = "ZQ-314 Wave Converter";

    // The program's own store.
    CIniProfile();
    // A store in the INI file at path, for tests and tools.
    explicit CIniProfile(const std::string& path);

    long getInt(const std::string& key, long defaultValue) override;
    std::string getString(const std::string& key, const std::string& defaultValue) override;
    void setInt(const std::string& key, long value) override;
    void setString(const std::string& key, const std::string& value) override;

    // Writes what was set to the file now rather than when the store goes.
    void flush();
    // Where the values are kept.
    std::string fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace ZQ3::Desktop
