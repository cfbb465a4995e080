#include "sl/model/envelope.h"
#include "sl/model/loop.h"

#include <gtest/gtest.h>

#include <limits>

namespace SL {
namespace {

TEST(Loop, NewLoopHasZeroPointsAndOneShotMode) {
    CLoop loop;
    for (int i = 0; i < ILoop::PointCount; ++i) {
        EXPECT_EQ(loop.GetPoint(i), 0.0);
    }
    EXPECT_EQ(loop.GetLoopMode(), CLoopMode::ONE_SHOT);
    EXPECT_EQ(loop.GetParameter(0), 0.0);
    EXPECT_EQ(loop.GetParameter(1), 0.5);
    EXPECT_EQ(loop.GetParameter(2), 0.0);
    EXPECT_EQ(loop.GetParameter(3), 0.5);
    EXPECT_EQ(loop.GetExtraParameter(), 0.0);
    EXPECT_EQ(loop.GetPoint(5), 0.0);
    EXPECT_EQ(loop.GetPoint(-1), 0.0);
}

TEST(Loop, IntegerPointsRoundHalfAwayFromZeroAndClamp) {
    CLoop loop;
    loop.SetPoint3(99.5);
    loop.SetPoint0(-0.5);
    loop.SetPoint2(10.49);
    EXPECT_EQ(loop.GetIntegerPoint(3), 100);
    EXPECT_EQ(loop.GetIntegerPoint(0), -1);
    EXPECT_EQ(loop.GetIntegerLoopCouple(), (ILoop::CIntegerCouple{10, 100}));
    EXPECT_EQ(loop.GetIntegerSoundSpan(), 101);
    EXPECT_DOUBLE_EQ(loop.GetSoundSpan(), 100.0);
    EXPECT_DOUBLE_EQ(loop.GetLoopSpan(), 89.01);

    loop.SetPoint1(1e20);
    loop.SetPoint4(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(loop.GetIntegerPoint(1), 2147483647);
    EXPECT_EQ(loop.GetIntegerPoint(4), -2147483647);
    EXPECT_EQ(loop.GetIntegerLeadSpan(), 2147483647); // saturated, not wrapped
    loop.SetPoint1(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(loop.GetIntegerPoint(1), 0);

    loop.SetPoint1(2.5);
    loop.RoundPoints();
    EXPECT_EQ(loop.GetPoint1(), 3.0);
    EXPECT_EQ(loop.GetPoint3(), 100.0);
}

TEST(Loop, CloneSharesNothing) {
    CLoop loop;
    loop.SetPoint2(5);
    auto copy = std::dynamic_pointer_cast<ILoop>(loop.Clone());
    ASSERT_TRUE(copy);
    copy->SetPoint2(7);
    copy->SetLoopMode(CLoopMode::FWD);
    EXPECT_EQ(loop.GetPoint2(), 5.0);
    EXPECT_EQ(loop.GetLoopMode(), CLoopMode::ONE_SHOT);
}

TEST(Envelope, PointsStaySortedAndUniqueByX) {
    CEnvelope envelope;
    EXPECT_EQ(envelope.GetXRange(), (IEnvelope::CXRange{0, 0}));
    const auto first = envelope.Insert(CEnvelopePoint{2, 0.5});
    EXPECT_TRUE(first.second);
    EXPECT_TRUE(envelope.Insert(CEnvelopePoint{1, 0.1}).second);
    const auto refused = envelope.Insert(CEnvelopePoint{2, 0.9});
    EXPECT_FALSE(refused.second);
    EXPECT_EQ(refused.first.y, 0.5); // the point already there
    ASSERT_EQ(envelope.size(), 2u);
    EXPECT_EQ(envelope.GetElements()[0].x, 1);
    EXPECT_EQ(envelope.GetElements()[1].x, 2);

    CEnvelope ranged;
    const std::vector<CEnvelopePoint> points = {{10.7, 0}, {0.9, 1}, {5, 2}};
    ranged.Insert(points.begin(), points.end());
    EXPECT_EQ(ranged.GetXRange(), (IEnvelope::CXRange{0, 10}));
    ranged.Insert(CEnvelopePoint{-3.7, 0});
    EXPECT_EQ(ranged.GetXRange(), (IEnvelope::CXRange{-3, 10}));
}

TEST(Envelope, KindAndCurveType) {
    CEnvelope envelope;
    envelope.SetKind(CWaveFormat::PITCH_ENVELOPE);
    envelope.SetCurveType(IEnvelope::CCurveType::SPL);
    auto copy = std::dynamic_pointer_cast<IEnvelope>(envelope.Clone());
    envelope.SetKind(CWaveFormat::FILTER_ENVELOPE);
    EXPECT_EQ(copy->GetKind(), CWaveFormat::PITCH_ENVELOPE);
    EXPECT_EQ(copy->GetCurveType(), IEnvelope::CCurveType::SPL);
}

} // namespace
} // namespace SL
