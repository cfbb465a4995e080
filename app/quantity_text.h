#pragma once

#include <cstdint>
#include <string>

namespace ZQ3 {

// How both front ends show an amount of storage or of time, so that the desktop program and
// `zq3 info` give the same figures for the same card. Sizes are in binary units named so
// ("512 B", "3.5 KiB", "76.7 GiB"), one decimal from KiB on, in the largest unit that keeps the
// figure below 1024. Times are whole seconds, rounded down, since a time left must not promise
// more than the card holds: "12 min 5 s" below an hour, "519 h 2 min" from an hour on, in the
// catalogue's language.
std::string SizeText(std::uint64_t bytes);
std::string DurationText(double seconds);

} // namespace ZQ3
