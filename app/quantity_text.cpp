#include "app/quantity_text.h"

#include "app/localized_text.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace ZQ3 {

std::string SizeText(std::uint64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + " B";
    }
    static constexpr std::array<const char*, 5> Units = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    // The figure is shown to one decimal: one that would round up to 1024.0 takes the next unit.
    while (value >= 1023.95 && unit + 1 < Units.size()) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, Units[unit]);
    return text;
}

std::string DurationText(double seconds) {
    const auto whole = seconds > 0 ? static_cast<long long>(std::floor(seconds)) : 0LL;
    if (whole < 3600) {
        return Localized("{0} min {1} s", {std::to_string(whole / 60), std::to_string(whole % 60)});
    }
    return Localized("{0} h {1} min",
                     {std::to_string(whole / 3600), std::to_string(whole / 60 % 60)});
}

} // namespace ZQ3
