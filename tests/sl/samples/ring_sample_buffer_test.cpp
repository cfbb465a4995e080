#include "sl/samples/ring_sample_buffer.h"
#include "sl/samples/ring_sample_buffer_factory.h"
#include "sl/samples/sample_transformer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using SL::CRingSampleBuffer;
using SL::CSampleTag;
using Ring16 = CRingSampleBuffer<CSampleTag::Integer16>;
using Amount = SL::IRingSampleBufferMixin::CAmount;

// Writes the values into the ring through one output iterator at the write offset, as the
// producer does, while the ring has room; returns how many went in.
std::size_t Produce(Ring16& ring, const std::vector<std::int16_t>& values) {
    auto writer = ring.CreateOutputIteratorAtBegin();
    std::size_t written = 0;
    while (written < values.size() && writer->IsValid()) {
        writer->SetValue(values[written++]);
        writer->Advance();
    }
    return written;
}

std::vector<std::int16_t> Consume(Ring16& ring, std::size_t most = SIZE_MAX) {
    auto reader = ring.CreateInputIteratorAtBegin();
    std::vector<std::int16_t> values;
    while (values.size() < most && reader->IsValid()) {
        values.push_back(reader->GetValue());
        reader->Advance();
    }
    return values;
}

std::vector<std::int16_t> Count(std::size_t count, std::int16_t first = 1) {
    std::vector<std::int16_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = static_cast<std::int16_t>(first + static_cast<std::int16_t>(i));
    }
    return values;
}

TEST(RingSampleBufferTest, NewRingIsEmptyWithRoomForItsCapacity) {
    Ring16 ring(2, 5);
    EXPECT_FALSE(ring.IsNotEmpty());
    EXPECT_TRUE(ring.HasRoom());
    EXPECT_EQ(Amount(0, 0), ring.GetReadableAmount());
    EXPECT_EQ(Amount(5, 0), ring.GetWritableAmount());
    EXPECT_FALSE(ring.IsInMemory());
    // One frame more than the capacity tells full from empty.
    EXPECT_EQ(6 * 4, ring.GetLast() - ring.GetFirst());
    EXPECT_EQ(5, ring.GetAttribute().GetLength());
    EXPECT_EQ(0.0, ring.GetAttribute().GetSampleRate());
    EXPECT_FALSE(ring.CreateInputIteratorAtBegin()->IsValid());
}

TEST(RingSampleBufferTest, WritingTheCapacityFillsIt) {
    Ring16 ring(2, 5);
    EXPECT_EQ(10u, Produce(ring, Count(12)));
    EXPECT_FALSE(ring.HasRoom());
    EXPECT_TRUE(ring.IsNotEmpty());
    EXPECT_EQ(Amount(5, 0), ring.GetReadableAmount());
    EXPECT_EQ(Amount(0, 0), ring.GetWritableAmount());
    EXPECT_FALSE(ring.CreateOutputIteratorAtBegin()->IsValid());
    EXPECT_EQ(Count(10), Consume(ring));
    EXPECT_FALSE(ring.IsNotEmpty());
}

TEST(RingSampleBufferTest, IteratorsWrapToTheFirstByteAndTheOffsetFollows) {
    Ring16 ring(2, 5);
    ASSERT_EQ(10u, Produce(ring, Count(10)));
    ASSERT_EQ(Count(6), Consume(ring, 6));
    EXPECT_EQ(12u, ring.GetReadOffset());
    // Three more frames: the last storage frame, then the first two again.
    ASSERT_EQ(6u, Produce(ring, Count(6, 100)));
    EXPECT_EQ(8u, ring.GetWriteOffset());
    EXPECT_EQ(Amount(5, 0), ring.GetReadableAmount());
    auto expected = Count(4, 7);
    const auto more = Count(6, 100);
    expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(expected, Consume(ring));
    EXPECT_EQ(8u, ring.GetReadOffset());
    EXPECT_EQ(Amount(5, 0), ring.GetWritableAmount());
}

TEST(RingSampleBufferTest, ReadOffsetMovesOnlyAfterAWholeFrame) {
    Ring16 ring(2, 4);
    Produce(ring, Count(8));
    auto reader = ring.CreateInputIteratorAtBegin();
    reader->Advance();
    EXPECT_EQ(0u, ring.GetReadOffset());
    EXPECT_EQ(Amount(4, 0), ring.GetReadableAmount());
    reader->Advance();
    EXPECT_EQ(4u, ring.GetReadOffset());
    EXPECT_EQ(Amount(3, 0), ring.GetReadableAmount());

    // The same holds for the writer: a half-written frame is not readable.
    Ring16 other(2, 4);
    auto writer = other.CreateOutputIteratorAtBegin();
    writer->SetValue(1);
    writer->Advance();
    EXPECT_FALSE(other.IsNotEmpty());
    writer->SetValue(2);
    writer->Advance();
    EXPECT_EQ(Amount(1, 0), other.GetReadableAmount());
}

TEST(RingSampleBufferTest, AdvancingAnEmptyRingDoesNotOvertakeTheProducer) {
    Ring16 ring(1, 3);
    auto reader = ring.CreateInputIteratorAtBegin();
    reader->Advance();
    reader->Advance();
    EXPECT_EQ(0u, ring.GetReadOffset());
    EXPECT_EQ(0, reader->GetValue());
    Produce(ring, {42});
    EXPECT_EQ(42, reader->GetValue());
}

TEST(RingSampleBufferTest, TransformerFillsUpToTheRoomAndDrainsTheFill) {
    const auto transformer = SL::CreateSampleTransformer(CSampleTag::Integer16);
    SL::CSampleAttribute shape(SL::CBitDepth(CSampleTag::Integer16), 44100, 2, 0);
    const auto values = Count(14);
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    SL::CSampleBuffer<CSampleTag::Integer16> source(shape, bytes);
    auto input = source.CreateInputIteratorAtBegin();

    Ring16 ring(2, 5);
    EXPECT_EQ(SL::ISampleTransformer::DestinationFull,
              transformer->Transfer(*input, ring, SL::ISampleTransformer::CopyOnly));
    EXPECT_FALSE(ring.HasRoom());
    EXPECT_EQ(Count(6), Consume(ring, 6));
    EXPECT_EQ(SL::ISampleTransformer::SourceEnded,
              transformer->Transfer(*input, ring, SL::ISampleTransformer::CopyOnly));
    EXPECT_EQ(Count(8, 7), Consume(ring));

    SL::CSampleBuffer<CSampleTag::Integer16> out(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer16), 44100, 2, 3));
    Produce(ring, Count(4, 50));
    EXPECT_EQ(SL::ISampleTransformer::SourceEnded,
              transformer->Transfer(ring, out, SL::ISampleTransformer::FillDestination));
    std::vector<std::int16_t> drained(6);
    std::memcpy(drained.data(), out.GetBytes().data(), 12);
    EXPECT_EQ((std::vector<std::int16_t>{50, 51, 52, 53, 0, 0}), drained);
}

TEST(RingSampleBufferTest, SelectedChannelReaderVisitsOneChannelAndFreesWholeFrames) {
    CRingSampleBuffer<CSampleTag::Integer16> ring(3, 4);
    Produce(ring, Count(12));
    auto reader = ring.CreateSelectedInputIterator({2});
    std::vector<std::int16_t> third;
    while (reader->IsValid()) {
        third.push_back(reader->GetValue());
        reader->Advance();
    }
    EXPECT_EQ((std::vector<std::int16_t>{3, 6, 9, 12}), third);
    EXPECT_FALSE(ring.IsNotEmpty());
    // Naming every channel gives the plain reader.
    Produce(ring, Count(6, 20));
    auto all = ring.CreateSelectedInputIterator({0, 1, 2});
    all->Advance();
    EXPECT_EQ(21, all->GetValue());
}

TEST(RingSampleBufferTest, BigEndianRingStoresReversedBytes) {
    Ring16 ring(1, 2, GT::CEndianness::BigEndian);
    Produce(ring, {0x1234});
    EXPECT_EQ(0x12, ring.GetFirst()[0]);
    EXPECT_EQ(0x34, ring.GetFirst()[1]);
    EXPECT_EQ((std::vector<std::int16_t>{0x1234}), Consume(ring));
}

TEST(RingSampleBufferTest, AmountsOfAZeroChannelRing) {
    Ring16 ring(0, 4);
    EXPECT_FALSE(ring.IsNotEmpty());
    EXPECT_FALSE(ring.HasRoom());
    EXPECT_EQ(Amount(0, 0), ring.GetWritableAmount());
    EXPECT_EQ(0u, Produce(ring, {1}));
}

TEST(RingSampleBufferFactoryTest, MakesRingsForTheStreamableDepthsOnly) {
    SL::CRingSampleBufferFactory factory;
    factory.SetAttribute(SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer24), 44100, 2, 0));
    factory.SetTime(0.18);
    auto ring = factory.CreateSampleBuffer();
    ASSERT_NE(nullptr, ring);
    auto* typed = dynamic_cast<CRingSampleBuffer<CSampleTag::Integer24>*>(ring.get());
    ASSERT_NE(nullptr, typed);
    EXPECT_EQ(Amount(7938, 0), typed->GetWritableAmount());
    EXPECT_EQ(1, ring->GetAttribute().GetEndianness());

    for (int code : {CSampleTag::Integer8, CSampleTag::Integer16, CSampleTag::Integer32,
                     CSampleTag::Float32, CSampleTag::Float64}) {
        factory.SetAttribute(SL::CSampleAttribute(SL::CBitDepth(code), 44100, 1, 0));
        EXPECT_NE(nullptr, factory.CreateSampleBuffer()) << code;
    }
    for (int code : {CSampleTag::Complex32, CSampleTag::Complex64, CSampleTag::Point64}) {
        factory.SetAttribute(SL::CSampleAttribute(SL::CBitDepth(code), 44100, 1, 0));
        EXPECT_EQ(nullptr, factory.CreateSampleBuffer()) << code;
    }
}

TEST(SampleBufferFactoryTest, TimeBecomesFramesByTheBufferLengthRule) {
    SL::CRingSampleBufferFactory factory;
    factory.SetAttribute(SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer16), 44100, 2, 0));
    EXPECT_EQ(1, factory.GetFrameCount());
    const std::pair<double, std::int32_t> cases[] = {{0.18, 7938},    {0.06, 2646}, {1.6, 70560},
                                                     {0.4, 17640},    {0.0, 1},     {-3.0, 1},
                                                     {1e9, INT32_MAX}};
    for (const auto& [time, frames] : cases) {
        factory.SetTime(time);
        EXPECT_EQ(frames, factory.GetFrameCount()) << time;
    }
    factory.SetTime(0.001);
    factory.SetMinimumFrameCount(1024);
    EXPECT_EQ(1024, factory.GetFrameCount());
    EXPECT_DOUBLE_EQ(1024 / 44100.0, factory.GetEffectiveTime());
    // Half a frame rounds away from zero.
    factory.SetMinimumFrameCount(1);
    factory.SetAttribute(SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer16), 10, 2, 0));
    factory.SetTime(0.25);
    EXPECT_EQ(3, factory.GetFrameCount());
}

} // namespace
