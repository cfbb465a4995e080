#include "sl/samples/ring_sample_buffer.h"
#include "sl/samples/sample_transformer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace {

using SL::CSampleTag;
using Tag = std::integral_constant<int, CSampleTag::Integer32>;

// A source of consecutive numbers, so that the consumer can tell a lost, repeated or
// reordered sample from the right one.
class CCountingSource : public SL::ITypedInputSampleIterator<CSampleTag::Integer32> {
public:
    CCountingSource(std::int32_t count, std::int32_t channels)
        : count_(count),
          attribute_(SL::CBitDepth(CSampleTag::Integer32), 44100, channels, count / channels) {}

    bool IsValid() const override { return next_ < count_; }
    void Advance() override { ++next_; }
    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    std::int32_t GetValue() const override { return next_; }

private:
    std::int32_t next_ = 0;
    std::int32_t count_;
    SL::CSampleAttribute attribute_;
};

TEST(RingThreadsTest, TenMillionSamplesCrossTheRingOnceAndInOrder) {
    constexpr std::int32_t Samples = 10'000'000;
    constexpr std::int32_t Channels = 2;
    // A small odd capacity makes the offsets wrap tens of thousands of times at changing
    // places.
    SL::CRingSampleBuffer<CSampleTag::Integer32> ring(Channels, 257);
    std::atomic<std::int64_t> wraps{0};

    std::thread producer([&] {
        CCountingSource source(Samples, Channels);
        const auto transformer = SL::CreateSampleTransformer(CSampleTag::Integer32);
        std::size_t lastWrite = 0;
        while (source.IsValid()) {
            transformer->Transfer(source, ring, SL::ISampleTransformer::CopyOnly);
            const std::size_t write = ring.GetWriteOffset();
            if (write < lastWrite) {
                wraps.fetch_add(1, std::memory_order_relaxed);
            }
            lastWrite = write;
            std::this_thread::yield();
        }
    });

    std::int32_t expected = 0;
    bool inOrder = true;
    auto reader = ring.CreateInputIteratorAtBegin();
    while (expected < Samples && inOrder) {
        if (!reader->IsValid()) {
            std::this_thread::yield();
            continue;
        }
        while (reader->IsValid()) {
            if (reader->GetValue() != expected) {
                inOrder = false;
                break;
            }
            ++expected;
            reader->Advance();
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder) << "sample " << expected << " arrived as " << reader->GetValue();
    EXPECT_EQ(Samples, expected);
    EXPECT_FALSE(ring.IsNotEmpty());
    EXPECT_GT(wraps.load(), 1000);
}

} // namespace
