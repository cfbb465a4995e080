#include "sl/model/loop.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace SL {

namespace {

constexpr double Largest = std::numeric_limits<std::int32_t>::max();

} // namespace

std::int32_t ILoop::GetIntegerPoint(int index) const {
    const double point = GetPoint(index);
    if (std::isnan(point)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::clamp(std::round(point), -Largest, Largest));
}

std::int32_t ILoop::Difference(int later, int earlier) const {
    const std::int64_t difference = std::int64_t{GetIntegerPoint(later)} - GetIntegerPoint(earlier);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(difference, -Largest, Largest));
}

void ILoop::RoundPoints() {
    for (int i = 0; i < PointCount; ++i) {
        SetPoint(i, GetIntegerPoint(i));
    }
}

std::shared_ptr<ICloneable> CLoop::Clone() const {
    auto copy = std::make_shared<CLoop>(*this);
    copy->properties_ = std::make_shared<CProperties>(*properties_);
    return copy;
}

double CLoop::GetPoint(int index) const {
    return index >= 0 && index < PointCount ? properties_->points[static_cast<std::size_t>(index)]
                                            : 0.0;
}

void CLoop::SetPoint(int index, double value) {
    if (index >= 0 && index < PointCount) {
        properties_->points[static_cast<std::size_t>(index)] = value;
    }
}

double CLoop::GetParameter(int index) const {
    return index >= 0 && index < 4 ? properties_->parameters[static_cast<std::size_t>(index)] : 0.0;
}

void CLoop::SetParameter(int index, double value) {
    if (index >= 0 && index < 4) {
        properties_->parameters[static_cast<std::size_t>(index)] = value;
    }
}

} // namespace SL
