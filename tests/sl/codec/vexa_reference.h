#pragma once

// A deliberately plain second implementation of the frame format, kept only for the tests: bit
// strings instead of packed words, 64-bit arithmetic wrapped to 32 bits by hand, and header
// classification from the code tables rather than from the decoder's test order. The library's
// tuned coder must agree with it bit for bit.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace VexaReference {

struct CFrameInfo {
    char mode = '?';
    int rangeExponent = 0;
};

struct CEncoded {
    std::vector<std::uint8_t> bytes;
    std::array<std::int32_t, 16> reconstruction{};
    std::int32_t state = 0;
    CFrameInfo info;
    // How often each special rule of the residual quantiser fired in this frame.
    int saturations = 0;
    int pullIns = 0;
    int oddRaises = 0;
};

struct CDecoded {
    std::array<std::int16_t, 16> samples{};
    std::array<std::int32_t, 16> reconstruction{};
    std::int32_t state = 0;
    CFrameInfo info;
};

// The anchor must lie in the 16-bit range, as every state the encoder itself produces does.
CEncoded Encode(int n, const std::array<std::int16_t, 16>& samples, std::int32_t state);
CDecoded Decode(int n, const std::vector<std::uint8_t>& bytes, std::int32_t state);

// Every table row that claims header code c at this N (each code should be claimed by one).
std::vector<CFrameInfo> ClassifyByTable(std::uint32_t c, int n);

} // namespace VexaReference
