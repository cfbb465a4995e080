#include "sl/model/envelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace SL {

namespace {

std::int32_t Truncated(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    constexpr double Low = std::numeric_limits<std::int32_t>::min();
    constexpr double High = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::trunc(x), Low, High));
}

} // namespace

std::shared_ptr<ICloneable> CEnvelope::Clone() const {
    auto copy = std::make_shared<CEnvelope>(*this);
    copy->properties_ = std::make_shared<CProperties>(*properties_);
    return copy;
}

IEnvelope::CXRange CEnvelope::GetXRange() const {
    if (empty()) {
        return {0, 0};
    }
    return {Truncated(GetElements().front().x), Truncated(GetElements().back().x)};
}

} // namespace SL
