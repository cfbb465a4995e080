#pragma once

#include <string>

namespace GT {

// The per-user settings store as the application core sees it. A key is a section and an entry
// joined by "/", as in "Preference/VolumeName"; it splits at its first "/". Integers are kept as
// decimal text, so a value edited by hand may be written in any form the number text reads.
class IProfile {
public:
    static constexpr char KeySeparator = '/';

    virtual ~IProfile() = default;

    // The entry read as an integer (see ReadIntegerText), or defaultValue when it is absent.
    virtual long getInt(const std::string& key, long defaultValue) = 0;
    virtual std::string getString(const std::string& key, const std::string& defaultValue) = 0;
    // Writes value as decimal text.
    virtual void setInt(const std::string& key, long value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
};

} // namespace GT
