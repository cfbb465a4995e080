#pragma once

// Sample streams that push the coder into every mode and onto every edge of its quantiser.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace VexaSignals {

using CFrame = std::array<std::int16_t, 16>;

inline std::int16_t Clamp16(double v) {
    return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

struct CSignal {
    std::string name;
    std::function<std::vector<CFrame>(std::mt19937&, int frames)> make;
};

inline std::vector<CFrame> Frames(int frames, std::mt19937& rng,
                                  const std::function<std::int16_t(std::mt19937&, int)>& sample) {
    std::vector<CFrame> out(static_cast<std::size_t>(frames));
    int index = 0;
    for (CFrame& frame : out) {
        for (std::int16_t& value : frame) {
            value = sample(rng, index++);
        }
    }
    return out;
}

inline std::int16_t Uniform(std::mt19937& rng, int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution<int>(low, high)(rng));
}

inline std::vector<CSignal> AdversarialSignals() {
    std::vector<CSignal> signals;
    signals.push_back({"full-scale noise", [](std::mt19937& rng, int frames) {
                           return Frames(frames, rng, [](std::mt19937& r, int) {
                               return Uniform(r, -32768, 32767);
                           });
                       }});
    signals.push_back({"scaled noise", [](std::mt19937& rng, int frames) {
                           // Every amplitude from 1 to full scale, one per frame.
                           int amplitude = 1;
                           return Frames(frames, rng, [&amplitude](std::mt19937& r, int i) {
                               if (i % 16 == 0) {
                                   amplitude = 1 << std::uniform_int_distribution<int>(0, 15)(r);
                               }
                               return Uniform(r, -amplitude, amplitude - 1);
                           });
                       }});
    signals.push_back({"alternating extremes", [](std::mt19937& rng, int frames) {
                           return Frames(frames, rng, [](std::mt19937& r, int i) {
                               const bool high = i % 2 == 0;
                               const int jitter = Uniform(r, 0, 3) == 0 ? Uniform(r, 0, 2) : 0;
                               return static_cast<std::int16_t>(high ? 32767 - jitter
                                                                     : -32768 + jitter);
                           });
                       }});
    signals.push_back({"extreme values", [](std::mt19937& rng, int frames) {
                           static constexpr std::int16_t pool[] = {-32768, -32767, -32766, -32765,
                                                                   32767,  32766,  32765,  0,
                                                                   1,      -1,     16384,  -16384};
                           return Frames(frames, rng, [](std::mt19937& r, int) {
                               return pool[Uniform(r, 0, std::size(pool) - 1)];
                           });
                       }});
    signals.push_back({"-32768 runs", [](std::mt19937& rng, int frames) {
                           int run = 0;
                           return Frames(frames, rng, [&run](std::mt19937& r, int) {
                               if (run == 0 && Uniform(r, 0, 7) == 0) {
                                   run = Uniform(r, 1, 40);
                               }
                               if (run > 0) {
                                   --run;
                                   return static_cast<std::int16_t>(-32768);
                               }
                               // Odd values just above the floor make both neighbours odd.
                               return static_cast<std::int16_t>(-32768 + 2 * Uniform(r, 0, 300) +
                                                                1);
                           });
                       }});
    signals.push_back({"near the floor", [](std::mt19937& rng, int frames) {
                           // Samples a few steps above -32768, where reconstructions land on the
                           // floor itself between odd neighbours.
                           int spread = 1;
                           return Frames(frames, rng, [&spread](std::mt19937& r, int i) {
                               if (i % 16 == 0) {
                                   spread = (1 << Uniform(r, 0, 9)) - 1;
                               }
                               return static_cast<std::int16_t>(-32768 + Uniform(r, 0, spread));
                           });
                       }});
    signals.push_back({"faint then floor", [](std::mt19937& rng, int frames) {
                           // A faint frame, then one that sinks to the floor through a shape
                           // the predictions follow: mode D at its two top ranges, with its
                           // residuals saturating and leaving the 16-bit range.
                           std::vector<CFrame> out(static_cast<std::size_t>(frames));
                           for (std::size_t f = 0; f < out.size(); ++f) {
                               CFrame& s = out[f];
                               if (f % 2 == 0) {
                                   const int amplitude = Uniform(rng, 1, 8);
                                   for (auto& v : s) {
                                       v = Uniform(rng, -amplitude, amplitude);
                                   }
                                   continue;
                               }
                               const int j = (1 << Uniform(rng, 0, 10)) - 1;
                               const auto floor = [&] {
                                   return static_cast<std::int16_t>(-32768 + Uniform(rng, 0, j));
                               };
                               s[7] = floor();
                               s[3] = floor();
                               s[5] = floor();
                               s[4] = floor();
                               s[6] = floor();
                               s[1] = static_cast<std::int16_t>(-16384 + Uniform(rng, -j, j));
                               s[0] = static_cast<std::int16_t>(s[1] / 2 + Uniform(rng, -j, j));
                               s[2] = static_cast<std::int16_t>((s[1] + s[3]) / 2 +
                                                                Uniform(rng, -j, j));
                               for (std::size_t i = 8; i < 16; ++i) {
                                   s[i] = floor();
                               }
                           }
                           return out;
                       }});
    signals.push_back({"steps", [](std::mt19937& rng, int frames) {
                           std::int16_t level = 0;
                           return Frames(frames, rng, [&level](std::mt19937& r, int) {
                               if (Uniform(r, 0, 11) == 0) {
                                   level = Uniform(r, -32768, 32767);
                               }
                               return level;
                           });
                       }});
    signals.push_back({"slow ramps", [](std::mt19937& rng, int frames) {
                           double value = 0, slope = 1;
                           return Frames(frames, rng, [&](std::mt19937& r, int i) {
                               if (i % 64 == 0) {
                                   slope = std::uniform_real_distribution<double>(-600, 600)(r);
                               }
                               value += slope;
                               if (value > 32767 || value < -32768) {
                                   slope = -slope;
                                   value = std::clamp(value, -32768.0, 32767.0);
                               }
                               return Clamp16(value);
                           });
                       }});
    signals.push_back({"silence after loud", [](std::mt19937& rng, int frames) {
                           return Frames(frames, rng, [](std::mt19937& r, int i) {
                               const int phase = (i / 16) % 4;
                               if (phase == 0) {
                                   return Uniform(r, -32768, 32767);
                               }
                               if (phase == 1) {
                                   return static_cast<std::int16_t>(i % 2 == 0 ? 32767 : -32768);
                               }
                               return phase == 2 ? std::int16_t{0} : Uniform(r, -2, 2);
                           });
                       }});
    signals.push_back({"impulses", [](std::mt19937& rng, int frames) {
                           return Frames(frames, rng, [](std::mt19937& r, int) {
                               if (Uniform(r, 0, 20) != 0) {
                                   return std::int16_t{0};
                               }
                               return Uniform(r, 0, 1) == 0 ? std::int16_t{32767}
                                                            : std::int16_t{-32768};
                           });
                       }});
    signals.push_back({"music", [](std::mt19937& rng, int frames) {
                           const double f1 = std::uniform_real_distribution<double>(50, 400)(rng);
                           const double f2 = std::uniform_real_distribution<double>(400, 4000)(rng);
                           return Frames(frames, rng, [=](std::mt19937& r, int i) {
                               const double t = i / 44100.0;
                               const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 1.3 * t);
                               const double v = 20000 * std::sin(2 * M_PI * f1 * t) +
                                                9000 * std::sin(2 * M_PI * f2 * t) +
                                                std::normal_distribution<double>(0, 200)(r);
                               return Clamp16(envelope * v * 1.2);
                           });
                       }});
    return signals;
}

} // namespace VexaSignals
