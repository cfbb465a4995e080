#include "audio_test_sources.h"
#include "sl/audio/sample_iterator_ring_buffering_decorator.h"
#include "sl/audio/sample_iterator_stereo_decorator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using SL::CSampleTag;
using SL::Testing::MakeSource;
using SL::Testing::Ramp;
using RingDecorator = SL::CSampleIteratorRingBufferingDecorator<CSampleTag::Integer16>;
using StereoDecorator = SL::CSampleIteratorStereoDecorator<CSampleTag::Integer16>;

std::vector<std::int16_t> Drain(SL::ITypedInputSampleIterator<CSampleTag::Integer16>& iterator,
                                std::size_t most = SIZE_MAX) {
    std::vector<std::int16_t> values;
    while (values.size() < most && iterator.IsValid()) {
        values.push_back(iterator.GetValue());
        iterator.Advance();
    }
    return values;
}

TEST(StereoDecoratorTest, DeliversEveryMonoSampleTwice) {
    StereoDecorator stereo(MakeSource({5, -7, 9}, 1));
    EXPECT_EQ(2, stereo.GetAttribute().GetChannelCount());
    EXPECT_EQ(44100.0, stereo.GetAttribute().GetSampleRate());
    EXPECT_EQ((std::vector<std::int16_t>{5, 5, -7, -7, 9, 9}), Drain(stereo));
    EXPECT_FALSE(stereo.IsValid());
    // Two samples here are one of the source.
    EXPECT_EQ(3, stereo.MapPosition(7));
}

TEST(StereoDecoratorTest, SourceOfAnotherTypeEndsAtOnce) {
    auto buffer = std::make_shared<SL::CSampleBuffer<CSampleTag::Integer8>>(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer8), 44100, 1, 4));
    StereoDecorator stereo(buffer->CreateInputIteratorAtBegin());
    EXPECT_FALSE(stereo.IsValid());
}

TEST(RingBufferingDecoratorTest, ReadsTheWholeSourceThroughASmallRing) {
    // 10 ms of ring for a second of stereo: the filler must top it up about a hundred times.
    const auto samples = Ramp(88200);
    RingDecorator ring(MakeSource(samples, 2), GT::AThread::TimeCriticalPriority, 0.01);
    ASSERT_NE(nullptr, ring.getRingMixin());
    EXPECT_EQ(441, ring.getRingMixin()->GetWritableAmount().first +
                       ring.getRingMixin()->GetReadableAmount().first);
    // Construction filled the ring before returning.
    EXPECT_EQ(441, ring.getRingMixin()->GetReadableAmount().first);
    EXPECT_EQ(2, ring.GetAttribute().GetChannelCount());
    std::vector<std::int16_t> read;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (read.size() < samples.size() && std::chrono::steady_clock::now() < deadline) {
        const auto more = Drain(ring);
        read.insert(read.end(), more.begin(), more.end());
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(samples, read);
    EXPECT_EQ(44100, ring.GetPosition());
    EXPECT_FALSE(ring.IsValid());
}

TEST(RingBufferingDecoratorTest, ShortSourceIsWhollyInTheRingAfterConstruction) {
    RingDecorator ring(MakeSource({1, 2, 3}, 1), GT::AThread::NormalPriority, 0.18);
    EXPECT_EQ((std::vector<std::int16_t>{1, 2, 3}), Drain(ring));
}

TEST(RingBufferingDecoratorTest, DestroyingItMidFillJoinsTheFiller) {
    for (int round = 0; round < 20; ++round) {
        auto ring = std::make_unique<RingDecorator>(MakeSource(Ramp(100000), 1),
                                                    GT::AThread::NormalPriority, 0.001);
        Drain(*ring, 30);
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
        ring.reset();
    }
}

TEST(RingBufferingDecoratorTest, SourceOfAnotherTypeGivesAnEmptyStream) {
    auto buffer = std::make_shared<SL::CSampleBuffer<CSampleTag::Integer24>>(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer24), 44100, 1, 4));
    RingDecorator ring(buffer->CreateInputIteratorAtBegin(), GT::AThread::NormalPriority, 0.1);
    EXPECT_FALSE(ring.IsValid());
    EXPECT_EQ(nullptr, ring.getRingMixin());
}

TEST(RingBufferingDecoratorTest, MonoThroughRingThenStereoAsThePlayerWrapsIt) {
    auto ring = std::make_shared<RingDecorator>(MakeSource(Ramp(1000), 1),
                                                GT::AThread::TimeCriticalPriority, 0.005);
    StereoDecorator stereo(ring);
    std::vector<std::int16_t> read;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (read.size() < 2000 && std::chrono::steady_clock::now() < deadline) {
        const auto more = Drain(stereo);
        read.insert(read.end(), more.begin(), more.end());
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(2000u, read.size());
    const auto mono = Ramp(1000);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        ASSERT_EQ(mono[i], read[2 * i]);
        ASSERT_EQ(mono[i], read[2 * i + 1]);
    }
}

} // namespace
