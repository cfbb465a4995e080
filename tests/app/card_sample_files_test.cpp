// Opening a pad's channel files: the size check that refuses a file too short for its recorded
// length, the lo-fi frame form, and a write and read through real files that gives exactly what
// the codec gives.

#include "app/card_sample_files.h"
#include "sl/codec/vexa_coding.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

namespace {

using ZQ3::OpenCardSampleInputIterator;
using ZQ3::OpenCardSampleOutputIterator;
using ZQ3::Fixture::ReadFileBytes;
using ZQ3::Fixture::TemporaryDirectory;
using ZQ3::Fixture::WriteFileBytes;
using Samples = std::vector<std::int16_t>;

Samples Read(SL::CVexaFileInputSampleIterator& input) {
    Samples samples;
    while (input.IsValid()) {
        samples.push_back(input.GetValue());
        input.Advance();
    }
    return samples;
}

Samples DecodeDirectly(int n, const std::string& bytes) {
    auto coding = SL::CVexaCoding::Create(n);
    Samples samples;
    std::array<std::int16_t, 16> block{};
    const auto frameBytes = static_cast<std::size_t>(2 * n);
    for (std::size_t start = 0; start + frameBytes <= bytes.size(); start += frameBytes) {
        const auto* frame = reinterpret_cast<const std::uint8_t*>(bytes.data() + start);
        coding->Decode(std::span(frame, frameBytes), block, 1, 0);
        samples.insert(samples.end(), block.begin(), block.end());
    }
    return samples;
}

std::string SomeFrames(std::size_t bytes, unsigned seed) {
    std::mt19937 rng(seed);
    std::string out(bytes, '\0');
    for (char& c : out) {
        c = static_cast<char>(rng());
    }
    return out;
}

class CardSampleFiles : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    std::string left = directory / "SMP0000L.ZQD";
    std::string right = directory / "SMP0000R.ZQD";
};

TEST_F(CardSampleFiles, AnUnknownLengthIsEveryWholeFrame) {
    WriteFileBytes(left, SomeFrames(16, 1));
    auto normal = OpenCardSampleInputIterator({left}, false, -1);
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->GetAttribute().GetLength(), 16);
    EXPECT_EQ(Read(*normal).size(), 16u);
    EXPECT_TRUE(normal->IsGood());

    auto lofi = OpenCardSampleInputIterator({left}, true, -1);
    ASSERT_TRUE(lofi);
    EXPECT_EQ(lofi->GetBitsPerSample(), 4);
    EXPECT_EQ(lofi->GetAttribute().GetLength(), 32);
    EXPECT_EQ(Read(*lofi), DecodeDirectly(4, ReadFileBytes(left)));
    EXPECT_TRUE(lofi->IsGood());
}

TEST_F(CardSampleFiles, ATrailingPartialFrameHoldsNoSamples) {
    WriteFileBytes(left, SomeFrames(17, 2));
    auto input = OpenCardSampleInputIterator({left}, false, -1);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->GetAttribute().GetLength(), 16);
    EXPECT_FALSE(OpenCardSampleInputIterator({left}, false, 17));
}

TEST_F(CardSampleFiles, AFileTooShortForTheRequestedLengthIsRefused) {
    WriteFileBytes(left, SomeFrames(16, 3));
    EXPECT_TRUE(OpenCardSampleInputIterator({left}, false, 16));
    EXPECT_TRUE(OpenCardSampleInputIterator({left}, false, 0));
    EXPECT_FALSE(OpenCardSampleInputIterator({left}, false, 17));
    EXPECT_TRUE(OpenCardSampleInputIterator({left}, true, 32));
    EXPECT_FALSE(OpenCardSampleInputIterator({left}, true, 33));
}

TEST_F(CardSampleFiles, EveryChannelFileMustHoldTheLength) {
    WriteFileBytes(left, SomeFrames(64, 4));
    WriteFileBytes(right, SomeFrames(32, 5));
    EXPECT_FALSE(OpenCardSampleInputIterator({left, right}, false, 64));
    auto input = OpenCardSampleInputIterator({left, right}, false, -1);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->GetAttribute().GetChannelCount(), 2);
    EXPECT_EQ(input->GetAttribute().GetLength(), 32);
}

TEST_F(CardSampleFiles, MissingFilesGiveNoStream) {
    WriteFileBytes(left, SomeFrames(16, 6));
    EXPECT_FALSE(OpenCardSampleInputIterator({}, false, -1));
    EXPECT_FALSE(OpenCardSampleInputIterator({right}, false, -1));
    EXPECT_FALSE(OpenCardSampleInputIterator({left, right}, false, 16));
    EXPECT_FALSE(OpenCardSampleInputIterator({directory.path()}, false, -1));
    EXPECT_FALSE(OpenCardSampleOutputIterator({}));
    EXPECT_FALSE(OpenCardSampleOutputIterator({left, directory / "missing/SMP0000R.ZQD"}));
}

TEST_F(CardSampleFiles, ALengthBeyondAStreamIsRefused) {
    WriteFileBytes(left, SomeFrames(16, 7));
    EXPECT_FALSE(OpenCardSampleInputIterator({left}, false, std::int64_t{1} << 40));
}

TEST_F(CardSampleFiles, WrittenFilesReadBackAsTheCodecDecodesThem) {
    std::mt19937 rng(8);
    for (std::size_t length : {std::size_t{17}, std::size_t{3087}}) {
        SCOPED_TRACE(length);
        std::filesystem::remove(left);
        std::filesystem::remove(right);
        Samples interleaved;
        for (std::size_t i = 0; i < 2 * length; ++i) {
            interleaved.push_back(static_cast<std::int16_t>(
                9000 * std::sin(0.01 * double(i / 2) * double(1 + i % 2)) + int(rng() % 300)));
        }
        {
            auto output = OpenCardSampleOutputIterator({left, right});
            ASSERT_TRUE(output);
            EXPECT_EQ(output->GetAttribute().GetChannelCount(), 2);
            for (std::int16_t s : interleaved) {
                ASSERT_TRUE(output->IsValid());
                output->SetValue(s);
                output->Advance();
            }
            ASSERT_TRUE(output->Finish());
        }
        const std::size_t fileBytes = (length + 15) / 16 * 16;
        ASSERT_EQ(std::filesystem::file_size(left), fileBytes);
        ASSERT_EQ(std::filesystem::file_size(right), fileBytes);

        auto input =
            OpenCardSampleInputIterator({left, right}, false, static_cast<std::int64_t>(length));
        ASSERT_TRUE(input);
        const Samples read = Read(*input);
        EXPECT_TRUE(input->IsGood());
        const Samples l = DecodeDirectly(8, ReadFileBytes(left));
        const Samples r = DecodeDirectly(8, ReadFileBytes(right));
        Samples expected;
        for (std::size_t t = 0; t < length; ++t) {
            expected.push_back(l[t]);
            expected.push_back(r[t]);
        }
        EXPECT_EQ(read, expected);
    }
}

TEST_F(CardSampleFiles, SeventeenMonoSamplesMakeA32ByteFile) {
    auto output = OpenCardSampleOutputIterator({left});
    ASSERT_TRUE(output);
    for (int i = 0; i < 17; ++i) {
        output->SetValue(static_cast<std::int16_t>(i * 100));
        output->Advance();
    }
    ASSERT_TRUE(output->Finish());
    output.reset();
    EXPECT_EQ(std::filesystem::file_size(left), 32u);
}

TEST_F(CardSampleFiles, AnExistingFileIsNeverWrittenOver) {
    const std::string older = SomeFrames(4096, 9);
    WriteFileBytes(right, older);
    EXPECT_FALSE(OpenCardSampleOutputIterator({left, right}));
    EXPECT_EQ(ReadFileBytes(right), older);
}

TEST_F(CardSampleFiles, AFifoFailsToOpenAtOnce) {
    WriteFileBytes(left, SomeFrames(16, 10));
    ASSERT_TRUE(ZQ3::Fixture::MakeFifo(right));
    const auto openFifo = [&] {
        EXPECT_FALSE(OpenCardSampleInputIterator({left, right}, false, -1));
    };
    EXPECT_TRUE(ZQ3::Fixture::ReturnsPromptly(right, openFifo));
}

} // namespace
