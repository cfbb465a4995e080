#pragma once

#include "sl/model/entity.h"
#include "sl/model/loop_mode.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

namespace SL {

// The playback points of a sound, in frames, and its loop mode. Point 0 is the start of the
// sound, point 2 the loop start and point 3 the loop end (the last frame when there is no loop);
// points 1 and 4 are kept for whoever needs them.
class ILoop : public virtual IEntity {
public:
    static constexpr int PointCount = 5;
    using CCouple = std::pair<double, double>;
    using CIntegerCouple = std::pair<std::int32_t, std::int32_t>;

    virtual double GetPoint(int index) const = 0; // 0 for an index outside 0 to 4
    virtual void SetPoint(int index, double value) = 0;

    double GetPoint0() const { return GetPoint(0); }
    double GetPoint1() const { return GetPoint(1); }
    double GetPoint2() const { return GetPoint(2); }
    double GetPoint3() const { return GetPoint(3); }
    double GetPoint4() const { return GetPoint(4); }
    void SetPoint0(double value) { SetPoint(0, value); }
    void SetPoint1(double value) { SetPoint(1, value); }
    void SetPoint2(double value) { SetPoint(2, value); }
    void SetPoint3(double value) { SetPoint(3, value); }
    void SetPoint4(double value) { SetPoint(4, value); }

    // The spans 3 - 0 (the sound), 3 - 2 (the loop), 1 - 0 and 3 - 1, and the same pairs.
    double GetSoundSpan() const { return GetPoint3() - GetPoint0(); }
    double GetLoopSpan() const { return GetPoint3() - GetPoint2(); }
    double GetLeadSpan() const { return GetPoint1() - GetPoint0(); }
    double GetTailSpan() const { return GetPoint3() - GetPoint1(); }
    CCouple GetSoundCouple() const { return {GetPoint0(), GetPoint3()}; }
    CCouple GetLoopCouple() const { return {GetPoint2(), GetPoint3()}; }
    CCouple GetLeadCouple() const { return {GetPoint0(), GetPoint1()}; }
    CCouple GetTailCouple() const { return {GetPoint1(), GetPoint3()}; }

    // A point rounded to the nearest integer (halves away from zero), clamped to the 32-bit
    // range without its minimum so that every integer point can be negated.
    std::int32_t GetIntegerPoint(int index) const;
    std::int32_t GetIntegerSoundSpan() const { return Difference(3, 0); }
    std::int32_t GetIntegerLoopSpan() const { return Difference(3, 2); }
    std::int32_t GetIntegerLeadSpan() const { return Difference(1, 0); }
    std::int32_t GetIntegerTailSpan() const { return Difference(3, 1); }
    CIntegerCouple GetIntegerSoundCouple() const { return Couple(0, 3); }
    CIntegerCouple GetIntegerLoopCouple() const { return Couple(2, 3); }
    CIntegerCouple GetIntegerLeadCouple() const { return Couple(0, 1); }
    CIntegerCouple GetIntegerTailCouple() const { return Couple(1, 3); }
    // Replaces every point by its integer value.
    void RoundPoints();

    virtual CLoopMode GetLoopMode() const = 0;
    virtual void SetLoopMode(const CLoopMode& mode) = 0;
    // Four further values (defaults 0, 0.5, 0, 0.5) and one more (default 0), kept unchanged.
    virtual double GetParameter(int index) const = 0; // 0 for an index outside 0 to 3
    virtual void SetParameter(int index, double value) = 0;
    virtual double GetExtraParameter() const = 0;
    virtual void SetExtraParameter(double value) = 0;

private:
    // Saturates rather than overflowing for points at opposite ends of the range.
    std::int32_t Difference(int later, int earlier) const;
    CIntegerCouple Couple(int first, int second) const {
        return {GetIntegerPoint(first), GetIntegerPoint(second)};
    }
};

class CLoop : public ILoop, public CEntityState {
public:
    struct CProperties {
        std::array<double, PointCount> points{};
        std::array<double, 4> parameters{0.0, 0.5, 0.0, 0.5};
        CLoopMode loopMode = CLoopMode::ONE_SHOT;
        double extraParameter = 0.0;
    };

    CLoop() : properties_(std::make_shared<CProperties>()) {}

    std::shared_ptr<ICloneable> Clone() const override;

    double GetPoint(int index) const override;
    void SetPoint(int index, double value) override;
    CLoopMode GetLoopMode() const override { return properties_->loopMode; }
    void SetLoopMode(const CLoopMode& mode) override { properties_->loopMode = mode; }
    double GetParameter(int index) const override;
    void SetParameter(int index, double value) override;
    double GetExtraParameter() const override { return properties_->extraParameter; }
    void SetExtraParameter(double value) override { properties_->extraParameter = value; }

private:
    std::shared_ptr<CProperties> properties_;
};

} // namespace SL
