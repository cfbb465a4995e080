#include "sl/model/domain.h"

#include <gtest/gtest.h>

namespace SL {
namespace {

TEST(ChannelCollection, ChannelCountMakesNullChannelsOfTheLength) {
    CChannelCollection channels(CWaveFormat::WAVE);
    channels.SetRange({0, 1000});
    channels.SetChannelCount(2);
    ASSERT_EQ(channels.GetChannelCount(), 2u);
    EXPECT_TRUE(channels.GetChannel(0)->IsNull());
    EXPECT_EQ(channels.GetChannel(1)->GetLength(), 1000);
    EXPECT_FALSE(channels.IsStereoPair());
    channels.GetChannel(0)->SetPlacement(-1);
    channels.GetChannel(1)->SetPlacement(1);
    EXPECT_TRUE(channels.IsStereoPair());
    channels.SetLength(10);
    EXPECT_EQ(channels.GetChannel(0)->GetLength(), 10);
    EXPECT_EQ(channels.GetChannel(2), nullptr);
    channels.SetChannelCount(1);
    EXPECT_EQ(channels.GetChannelCount(), 1u);
    EXPECT_EQ(channels.GetChannel(0)->GetPlacement(), 0);
}

TEST(ChannelCollection, TypedChannelsHoldSamples) {
    CTypedChannelCollection<0x20040> channels(CWaveFormat::WAVE);
    channels.SetChannelCount(1);
    channels.SetLength(4);
    auto channel = channels.GetTypedChannel(0);
    ASSERT_TRUE(channel);
    EXPECT_FALSE(channel->IsNull());
    EXPECT_EQ(channel->GetBuffer().GetSamples().size(), 4u);
}

TEST(Wave, DefaultWaveAndDeepClone) {
    std::shared_ptr<IWave> wave = CDefaultDomain::Instance().GetWaveDescription().Create();
    EXPECT_EQ(wave->GetWaveFormat(), CWaveFormat::WAVE);
    EXPECT_EQ(wave->GetRepresentation(), CBitDepth::FLOAT64);
    ASSERT_TRUE(wave->GetLoop());
    EXPECT_EQ(wave->GetEnvelope(), nullptr);
    wave->SetSampleRate(44100);
    wave->GetLoop()->SetPoint3(9);
    wave->GetChannels()->SetChannelCount(2);

    auto copy = std::dynamic_pointer_cast<IWave>(wave->Clone());
    ASSERT_TRUE(copy);
    copy->SetSampleRate(48000);
    copy->GetLoop()->SetPoint3(1);
    copy->GetChannels()->SetChannelCount(1);
    EXPECT_EQ(wave->GetSampleRate(), 44100);
    EXPECT_EQ(wave->GetLoop()->GetPoint3(), 9);
    EXPECT_EQ(wave->GetChannels()->GetChannelCount(), 2u);
    EXPECT_EQ(CDefaultDomain::Instance().GetLoopDescription().GetEntityName(), "Loop");
}

} // namespace
} // namespace SL
