#pragma once

#include "sl/samples/sample_type.h"

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace SL::Testing {

// Sample values of a tag that reach both extremes of its range, zero, and random values between.
template <int Tag>
std::vector<SampleValue<Tag>> MakeSampleValues(std::size_t count, unsigned seed = 7) {
    using Value = SampleValue<Tag>;
    std::mt19937 random(seed);
    std::vector<Value> values;
    if constexpr (Tag == CSampleTag::Integer24) {
        values = {-8388608, 8388607, 0, -1, 1};
        std::uniform_int_distribution<std::int32_t> any(-8388608, 8388607);
        while (values.size() < count) {
            values.push_back(any(random));
        }
    } else if constexpr (std::is_integral_v<Value>) {
        values = {std::numeric_limits<Value>::min(), std::numeric_limits<Value>::max(), Value{0},
                  Value{1}};
        std::uniform_int_distribution<std::int64_t> any(std::numeric_limits<Value>::min(),
                                                        std::numeric_limits<Value>::max());
        while (values.size() < count) {
            values.push_back(static_cast<Value>(any(random)));
        }
    } else {
        values = {Value(-1),
                  Value(1),
                  Value(0),
                  std::numeric_limits<Value>::max(),
                  std::numeric_limits<Value>::lowest(),
                  std::numeric_limits<Value>::denorm_min()};
        std::uniform_real_distribution<Value> any(-2, 2);
        while (values.size() < count) {
            values.push_back(any(random));
        }
    }
    values.resize(count);
    return values;
}

} // namespace SL::Testing
