#include "vexa_reference.h"

#include <cstdlib>
#include <sstream>

namespace VexaReference {

namespace {

using Int = std::int64_t;

// The low 32 bits of v as a signed value: what the sampler's 32-bit arithmetic keeps.
std::int32_t Wrap(Int v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

[[noreturn]] void Fail() {
    std::abort();
}

// Where sample h0 to h7 of half 0 or 1 sits among the 16 samples of a frame.
std::size_t FramePosition(int half, int sample) {
    return static_cast<std::size_t>(half * 8 + sample);
}

// The frame-byte order as printed in the format's interleave table.
const char* InterleaveRow(int n) {
    switch (n) {
    case 4:
        return "P0 P1 P2 P3 Q0 Q1 Q2 Q3";
    case 5:
        return "P0 P1 Q0 Q1 P2 P3 Q2 Q3 P4 Q4";
    case 6:
        return "P0 P1 Q0 Q1 P2 P3 Q2 Q3 P4 P5 Q4 Q5";
    case 7:
        return "P0 P1 Q0 Q1 P2 P3 Q2 Q3 P4 P5 Q4 Q5 P6 Q6";
    case 8:
        return "P0 P1 Q0 Q1 P2 P3 Q2 Q3 P4 P5 Q4 Q5 P6 P7 Q6 Q7";
    }
    Fail();
}

struct CRow {
    int headerBits;
    std::array<int, 8> widthH7First; // h7, h6, ..., h0
};

CRow LayoutRow(char mode, int w, int n) {
    switch (mode) {
    case 'A':
        if (n == 4) {
            return {3, {n, n, n - 1, n, n - 1, n, n - 1, n}};
        }
        return {4, {n, n - 1, n, n - 1, n, n - 1, n, n - 1}};
    case 'B':
        return {4, {n, n - 1, n, n - 1, n, n - 1, n, n - 1}};
    case 'C':
        return {2, {n + 1, n - 1, n, n - 1, n + 1, n - 1, n, n - 1}};
    case 'D':
        if (w == 10) {
            return {4, {n + 2, n - 2, n, n - 2, n + 2, n - 2, n, n - 2}};
        }
        return {3, {n + 3, n - 2, n, n - 2, n + 2, n - 2, n, n - 2}};
    case 'E':
        if (w == 8) {
            return {3, {n + 4, n - 2, n, n - 2, n + 1, n - 2, n, n - 2}};
        }
        return {2, {n + 5, n - 2, n, n - 2, n + 1, n - 2, n, n - 2}};
    case 'F':
        return {3, {n + 6, n - 2, n - 1, n - 2, n + 1, n - 2, n - 1, n - 2}};
    case 'G':
        return {4, {n + 3, n - 1, n - 1, n - 1, n - 1, n - 1, n - 1, n - 1}};
    }
    Fail();
}

int Width(const CRow& row, int sample) {
    return row.widthH7First[static_cast<std::size_t>(7 - sample)];
}

bool IsDirect(char mode, int w, int sample) {
    if (sample == 7 || mode == 'A') {
        return true;
    }
    const bool odd = sample == 1 || sample == 3 || sample == 5;
    return (mode == 'B' && odd) || (mode == 'C' && sample == 3) ||
           (mode == 'D' && w == 10 && sample == 3);
}

// The width offset k of a residual, from the prediction-order table.
int WidthOffset(char mode, int sample) {
    const bool even = sample % 2 == 0;
    switch (mode) {
    case 'B':
        return 3;
    case 'C':
        return even ? 3 : 4;
    case 'D':
        return even ? 2 : (sample == 3 ? 6 : 4);
    case 'E':
        return even ? 2 : (sample == 3 ? 5 : 4);
    case 'F':
        return even ? 2 : (sample == 3 ? 5 : 3);
    case 'G':
        return 3;
    }
    Fail();
}

// Neighbours (as sample indices, -1 = the anchor) for every predicted sample of a half.
std::array<int, 2> Neighbours(int sample) {
    switch (sample) {
    case 3:
        return {-1, 7};
    case 1:
        return {-1, 3};
    case 5:
        return {3, 7};
    case 0:
        return {-1, 1};
    case 2:
        return {1, 3};
    case 4:
        return {3, 5};
    case 6:
        return {5, 7};
    }
    Fail();
}

constexpr std::array<int, 8> kOrder = {7, 3, 1, 5, 0, 2, 4, 6};

std::string Bits(Int value, int width) {
    std::string s;
    for (int b = width - 1; b >= 0; --b) {
        s += ((value >> b) & 1) != 0 ? '1' : '0';
    }
    return s;
}

Int SignedField(const std::string& bits, int from, int width) {
    Int k = 0;
    for (int i = 0; i < width; ++i) {
        k = k * 2 + (bits[static_cast<std::size_t>(from + i)] == '1' ? 1 : 0);
    }
    if (bits[static_cast<std::size_t>(from)] == '1') {
        k -= Int{1} << width;
    }
    return k;
}

std::vector<std::uint8_t> BytesOf(const std::string& bits) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(bits.substr(i, 8), nullptr, 2)));
    }
    return bytes;
}

std::string BitsOf(const std::vector<std::uint8_t>& bytes) {
    std::string bits;
    for (std::uint8_t b : bytes) {
        bits += Bits(b, 8);
    }
    return bits;
}

std::vector<std::uint8_t> Interleave(int n, const std::vector<std::uint8_t>& p,
                                     const std::vector<std::uint8_t>& q) {
    std::vector<std::uint8_t> frame;
    std::istringstream row(InterleaveRow(n));
    std::string token;
    while (row >> token) {
        const std::size_t index = std::stoul(token.substr(1));
        frame.push_back(token[0] == 'P' ? p.at(index) : q.at(index));
    }
    return frame;
}

void Deinterleave(int n, const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& p,
                  std::vector<std::uint8_t>& q) {
    p.assign(static_cast<std::size_t>(n), 0);
    q.assign(static_cast<std::size_t>(n), 0);
    std::istringstream row(InterleaveRow(n));
    std::string token;
    std::size_t i = 0;
    while (row >> token) {
        const std::size_t index = std::stoul(token.substr(1));
        (token[0] == 'P' ? p : q).at(index) = frame.at(i++);
    }
}

// The header bits of each half for a frame the encoder writes.
std::array<std::string, 2> HeaderBits(char mode, int w, int n) {
    const auto code8 = [](Int c) -> std::array<std::string, 2> {
        return {Bits(c >> 4, 4), Bits(c & 0xF, 4)};
    };
    const auto code6 = [](Int v) -> std::array<std::string, 2> {
        return {Bits(v >> 3, 3), Bits(v & 7, 3)};
    };
    const auto code4 = [](Int u) -> std::array<std::string, 2> {
        return {Bits(u >> 2, 2), Bits(u & 3, 2)};
    };
    switch (mode) {
    case 'A':
        return n == 4 ? std::array<std::string, 2>{"111", "110"} : code8(0xEF);
    case 'B':
        return n == 4 ? code8(0xFF) : code8(0xE2 + w);
    case 'C':
        return code4(w);
    case 'D':
        if (w == 10) {
            return code8(n == 4 ? 0xFE : 0xFA);
        }
        return code6(w + (n == 4 ? 52 : 51));
    case 'E':
        if (w == 8) {
            return code6(n == 4 ? 0x37 : 0x36);
        }
        return code4(w - 2);
    case 'F':
        return code6(w + (n == 4 ? 48 : 47));
    }
    Fail();
}

Int Magnitude(Int v) {
    return v >= 0 ? v : ~v;
}

Int BitLength(Int v) {
    Int length = 0;
    while (v > 0) {
        ++length;
        v >>= 1;
    }
    return length;
}

} // namespace

std::vector<CFrameInfo> ClassifyByTable(std::uint32_t c, int n) {
    const Int hi = c >> 4, lo = c & 0xF;
    const Int u = ((hi >> 2) << 2) | (lo >> 2);
    const Int v = ((hi >> 1) << 3) | (lo >> 1);
    std::vector<CFrameInfo> claims;
    const auto claim = [&](bool when, char mode, Int w) {
        if (when) {
            claims.push_back({mode, static_cast<int>(w)});
        }
    };
    if (n == 4) {
        claim((hi >> 1) == 0b111 && (lo >> 1) == 0b110, 'A', 13);
        claim(c == 0xFF, 'B', 12);
        claim(v >= 4 + 52 && v <= 9 + 52, 'D', v - 52);
        claim(c == 0xFE, 'D', 10);
        claim(v == 0x37, 'E', 8);
        claim(v >= 0 + 48 && v <= 6 + 48, 'F', v - 48);
        claim(c == 0xEE || c == 0xEF, 'G', c - 0xEE);
    } else {
        claim(c == 0xEF, 'A', 13);
        claim(c >= 0xEA && c <= 0xEE, 'B', c - 0xE2);
        claim(v >= 4 + 51 && v <= 9 + 51, 'D', v - 51);
        claim(c == 0xFA, 'D', 10);
        claim(v == 0x36, 'E', 8);
        claim(v >= 1 + 47 && v <= 6 + 47, 'F', v - 47);
        claim(c == 0xFB || c == 0xFC, 'G', c - 0xFB);
        claim(c >= 0xFD, 'G', c - 0x100);
    }
    claim(u >= 6 && u <= 11, 'C', u);
    claim(u >= 0 && u <= 5, 'E', u + 2);
    return claims;
}

CEncoded Encode(int n, const std::array<std::int16_t, 16>& samples, std::int32_t state) {
    if (state < -32768 || state > 32767) {
        Fail();
    }
    // Choosing W and the mode from the input samples.
    Int R7 = 0, R3 = 0, R15 = 0, Q3 = 0, Q15 = 0, Qe = 0;
    for (int half = 0; half < 2; ++half) {
        const Int a = half == 0 ? state : samples[7];
        Int h[8];
        for (int i = 0; i < 8; ++i) {
            h[i] = samples[FramePosition(half, i)];
        }
        R7 |= Magnitude(h[7]);
        R3 |= Magnitude(h[3]);
        R15 |= Magnitude(h[1]) | Magnitude(h[5]);
        Q3 |= Magnitude(h[3] - ((h[7] + a) >> 1));
        Q15 |= Magnitude(h[1] - ((a + h[3]) >> 1)) | Magnitude(h[5] - ((h[3] + h[7]) >> 1));
        Qe |= Magnitude(h[0] - ((h[1] + a) >> 1)) | Magnitude(h[2] - ((h[1] + h[3]) >> 1)) |
              Magnitude(h[4] - ((h[3] + h[5]) >> 1)) | Magnitude(h[6] - ((h[5] + h[7]) >> 1));
    }
    const Int m = Int{3} << (n - 4);
    Int B = ((R7 | R3 | R15 | 0x7FE) >> 1) | Qe | m;
    if (n == 4) {
        B |= 0x3FFF;
    }
    const Int C = ((((R7 | R3 | 0x3FC) >> 1) | Q15) >> 1) | Qe | m;
    Int D = ((((((R7 | 0x3F0) >> 1) | Q3) >> 2) | Q15) >> 1) | (Qe << 1) | m;
    if (D > 2047) {
        D = ((Q15 | 0x1FFE) >> 1) | (Qe << 1);
    }
    const Int E = ((((((R7 | 0x3C0) >> 4) | Q3) >> 1) | Q15) >> 1) | (Qe << 1) | m;
    Int F = ((((R7 | 0x180) >> 5) | Q3) >> 2) | (Qe << 1) | Q15 | m;
    if (n != 4) {
        F |= 7;
    }
    const Int candidates[5] = {B, C, D, E, F};
    const char letters[5] = {'B', 'C', 'D', 'E', 'F'};
    Int best = B;
    for (int i = 1; i < 5; ++i) {
        if (BitLength(candidates[i]) < BitLength(best)) {
            best = candidates[i];
        }
    }
    CEncoded out;
    int w = 13;
    char mode = 'A';
    if (best < 0x4000) {
        w = static_cast<int>(BitLength(best)) - 2;
        for (int i = 0; i < 5; ++i) {
            if (candidates[i] == best) {
                mode = letters[i];
                break;
            }
        }
    }
    out.info = {mode, w};

    const int x = w + 4 - n;
    const Int M = -(Int{1} << x);
    const Int H = (Int{1} << x) / 2;
    const CRow row = LayoutRow(mode, w, n);
    const auto header = HeaderBits(mode, w, n);

    const auto quantise = [&](Int s, Int y, Int z, int k) -> Int {
        const Int pred = (y + z) >> 1;
        const Int d = s - pred;
        const int c = k + w - 1;
        if (d < -(Int{1} << c) || d > (Int{1} << c) - 1) {
            ++out.saturations;
            return d > 0 ? ((M & ((Int{1} << c) - 1)) | H) : ((M & -(Int{1} << c)) | H);
        }
        const Int q = (d & M) | H;
        const Int r = q + pred;
        if (r < -32768 || r > 32767) {
            ++out.pullIns;
            return (r ^ (M & 0xFFFF)) - pred;
        }
        if (r == -32768 && (y & z & 1) == 1) {
            ++out.oddRaises;
            return q + 2 * H;
        }
        return q;
    };

    std::vector<std::uint8_t> halves[2];
    Int anchor = state;
    for (int half = 0; half < 2; ++half) {
        Int r[8] = {};
        Int field[8] = {};
        for (int sample : kOrder) {
            const Int s = samples[FramePosition(half, sample)];
            const int width = Width(row, sample);
            if (mode == 'A') {
                const bool fine = width == n;
                const Int mask = fine ? (M >> 1) : M;
                const Int offset = fine ? H / 2 : H;
                const int step = fine ? x - 1 : x;
                field[sample] = (s & mask) >> step;
                r[sample] = (s & mask) | offset;
            } else if (IsDirect(mode, w, sample)) {
                field[sample] = (s & M) >> x;
                r[sample] = (s & M) | H;
            } else {
                const int k = WidthOffset(mode, sample);
                if (n + k - 4 != width) {
                    Fail();
                }
                const auto nb = Neighbours(sample);
                const Int y = nb[0] < 0 ? anchor : r[nb[0]];
                const Int z = nb[1] < 0 ? anchor : r[nb[1]];
                const Int value = quantise(s, y, z, k);
                field[sample] = value >> x;
                r[sample] = ((y + z) >> 1) + value;
            }
            out.reconstruction[FramePosition(half, sample)] = static_cast<std::int32_t>(r[sample]);
        }
        std::string bits = header[static_cast<std::size_t>(half)];
        for (int sample = 7; sample >= 0; --sample) {
            bits += Bits(field[sample], Width(row, sample));
        }
        if (static_cast<int>(bits.size()) != 8 * n) {
            Fail();
        }
        halves[half] = BytesOf(bits);
        anchor = r[7];
    }
    out.bytes = Interleave(n, halves[0], halves[1]);
    out.state = out.reconstruction[15];
    return out;
}

CDecoded Decode(int n, const std::vector<std::uint8_t>& bytes, std::int32_t state) {
    std::vector<std::uint8_t> p, q;
    Deinterleave(n, bytes, p, q);
    const std::uint32_t c = (p[0] & 0xF0u) | (q[0] >> 4);
    const auto claims = ClassifyByTable(c, n);
    if (claims.size() != 1) {
        Fail();
    }
    CDecoded out;
    out.info = claims[0];
    const char mode = claims[0].mode;
    const int w = claims[0].rangeExponent;
    const int x = w + 4 - n;
    const Int M = (-(Int{1} << (w + 4))) >> n;
    const Int H = (Int{1} << (w + 4)) >> (n + 1);
    const CRow row = LayoutRow(mode, w, n);

    Int anchor = state;
    for (int half = 0; half < 2; ++half) {
        const std::string bits = BitsOf(half == 0 ? p : q);
        // Offsets of the fields after the header, h7 first.
        int offset[8];
        int at = row.headerBits;
        for (int sample = 7; sample >= 0; --sample) {
            offset[sample] = at;
            at += Width(row, sample);
        }
        Int r[8] = {};
        for (int sample : kOrder) {
            const int width = Width(row, sample);
            const Int k = SignedField(bits, offset[sample], width);
            Int value;
            if (mode == 'A') {
                value = width == n ? k * (Int{1} << (x - 1)) + H / 2 : k * (Int{1} << x) + H;
            } else {
                const Int word = Wrap(k * (Int{1} << (32 - width)));
                const int shift = (((28 + n - width - w) % 32) + 32) % 32;
                value = ((word >> shift) & M) | H;
            }
            if (IsDirect(mode, w, sample)) {
                r[sample] = value;
            } else {
                const auto nb = Neighbours(sample);
                const Int y = nb[0] < 0 ? anchor : r[nb[0]];
                const Int z = nb[1] < 0 ? anchor : r[nb[1]];
                r[sample] = Wrap((Int{Wrap(y + z)} >> 1) + value);
            }
            out.reconstruction[FramePosition(half, sample)] = static_cast<std::int32_t>(r[sample]);
            Int output = r[sample];
            if ((mode == 'D' || mode == 'E' || mode == 'F') && (sample == 2 || sample == 4) &&
                output > 32767) {
                output = 32767;
            }
            out.samples[FramePosition(half, sample)] =
                static_cast<std::int16_t>(static_cast<std::uint16_t>(output & 0xFFFF));
        }
        anchor = r[7];
    }
    out.state = out.reconstruction[15];
    return out;
}

} // namespace VexaReference
