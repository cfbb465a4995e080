#include "desktop/version.h"

#include <cstdio>

#ifndef ZQ3_VERSION
#define ZQ3_VERSION "0.0.0"
#endif

namespace ZQ3::Desktop {

std::string FileVersionText() {
    return ZQ3_VERSION;
}

std::string ProductVersionDigits() {
    int parts[4] = {0, 0, 0, 0};
    std::sscanf(ZQ3_VERSION, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
    char digits[64];
    std::snprintf(digits, sizeof digits, "%d%d%d%d", parts[0], parts[1], parts[2], parts[3]);
    return digits;
}

} // namespace ZQ3::Desktop
