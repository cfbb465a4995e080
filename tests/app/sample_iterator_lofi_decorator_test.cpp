// The lo-fi sample-and-hold: frames 0, 4, 8, ... pass and are held for three more frames, for
// every channel together, also after a seek and on a card file read in the short frame form.

#include "app/card_sample_files.h"
#include "app/sample_iterator_lofi_decorator.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using ZQ3::CSampleIteratorLofiDecorator;
using Samples = std::vector<std::int16_t>;

// An interleaved 16-bit stream held in memory.
class CMemoryInput final : public SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>,
                           public SL::ILocatable1D {
public:
    CMemoryInput(Samples samples, int channels)
        : samples_(std::move(samples)),
          attribute_(
              SL::CBitDepth::INTEGER16, 22050.0, channels,
              static_cast<std::int32_t>(samples_.size() / static_cast<std::size_t>(channels))) {}

    bool IsValid() const override { return index_ < samples_.size(); }
    void Advance() override { ++index_; }
    std::int16_t GetValue() const override { return IsValid() ? samples_[index_] : 0; }
    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    void Seek(std::int64_t frame) override {
        index_ = static_cast<std::size_t>(frame * attribute_.GetChannelCount());
    }
    std::int64_t GetPosition() const override {
        return std::int64_t(index_) / attribute_.GetChannelCount();
    }
    std::int64_t GetOffset(std::int64_t frames) const override { return frames + GetPosition(); }

    bool good = true;

private:
    Samples samples_;
    SL::CSampleAttribute attribute_;
    std::size_t index_ = 0;
};

Samples ReadAll(SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>& input) {
    Samples out;
    while (input.IsValid()) {
        out.push_back(input.GetValue());
        input.Advance();
    }
    return out;
}

// y(t, c) = x(4 floor(t / 4), c), from frame `from` on.
Samples SampleAndHold(const Samples& x, std::size_t channels, std::size_t from = 0) {
    Samples y;
    for (std::size_t t = from; t < x.size() / channels; ++t) {
        for (std::size_t c = 0; c < channels; ++c) {
            y.push_back(x[(t / 4 * 4) * channels + c]);
        }
    }
    return y;
}

TEST(SampleIteratorLofiDecorator, MonoHoldsEveryFourthSample) {
    auto source = std::make_shared<CMemoryInput>(Samples{1, 2, 3, 4, 5, 6, 7, 8, 9}, 1);
    CSampleIteratorLofiDecorator lofi(source);
    EXPECT_EQ(ReadAll(lofi), (Samples{1, 1, 1, 1, 5, 5, 5, 5, 9}));
}

TEST(SampleIteratorLofiDecorator, StereoHoldsBothChannelsOfEveryFourthFrame) {
    Samples x;
    for (int t = 0; t < 10; ++t) {
        x.push_back(static_cast<std::int16_t>(100 + t)); // L
        x.push_back(static_cast<std::int16_t>(200 + t)); // R
    }
    auto source = std::make_shared<CMemoryInput>(x, 2);
    CSampleIteratorLofiDecorator lofi(source);
    EXPECT_EQ(ReadAll(lofi), (Samples{100, 200, 100, 200, 100, 200, 100, 200, 104, 204,
                                      104, 204, 104, 204, 104, 204, 108, 208, 108, 208}));
}

TEST(SampleIteratorLofiDecorator, ReportsTheWrappedStreamsShapeAndState) {
    auto source = std::make_shared<CMemoryInput>(Samples(24, 3), 2);
    CSampleIteratorLofiDecorator lofi(source);
    EXPECT_EQ(lofi.GetAttribute(), source->GetAttribute());
    EXPECT_EQ(lofi.GetAttribute().GetLength(), 12);
    EXPECT_EQ(lofi.GetAttribute().GetChannelCount(), 2);
    EXPECT_EQ(lofi.GetAttribute().GetSampleRate(), 22050.0);
    EXPECT_TRUE(lofi.IsGood());
    source->good = false;
    EXPECT_FALSE(lofi.IsGood());
    for (int i = 0; i < 6; ++i) {
        lofi.Advance();
    }
    EXPECT_EQ(lofi.GetPosition(), 3);
    EXPECT_EQ(lofi.GetOffset(2), 5);
}

TEST(SampleIteratorLofiDecorator, ASeekTakesUpTheHoldAtTheTargetFrame) {
    std::mt19937 rng(3);
    Samples x(2 * 50);
    for (auto& s : x) {
        s = static_cast<std::int16_t>(rng());
    }
    auto source = std::make_shared<CMemoryInput>(x, 2);
    CSampleIteratorLofiDecorator lofi(source);
    lofi.Advance(); // stand on a right sample, mid-cycle
    lofi.Advance();
    lofi.Advance();
    for (std::int64_t target : {0, 1, 2, 3, 4, 7, 21, 49}) {
        SCOPED_TRACE(target);
        lofi.Seek(target);
        EXPECT_EQ(lofi.GetPosition(), target);
        EXPECT_EQ(ReadAll(lofi), SampleAndHold(x, 2, static_cast<std::size_t>(target)));
    }
}

TEST(SampleIteratorLofiDecorator, AMissingSourceIsAnEmptyStream) {
    CSampleIteratorLofiDecorator lofi(nullptr);
    EXPECT_FALSE(lofi.IsValid());
    EXPECT_FALSE(lofi.IsGood());
    lofi.Advance();
    lofi.Seek(4);
    EXPECT_EQ(lofi.GetValue(), 0);
}

TEST(SampleIteratorLofiDecorator, PlaysALofiCardFile) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string left = directory / "SMP0003L.ZQD";
    const std::string right = directory / "SMP0003R.ZQD";
    constexpr std::int32_t kLength = 1000; // a lo-fi entry of 500 frames, doubled
    std::mt19937 rng(4);
    {
        // The converter never writes the short form; the sampler does.
        std::vector<std::shared_ptr<std::ostream>> files{
            std::make_shared<std::ofstream>(left, std::ios::binary),
            std::make_shared<std::ofstream>(right, std::ios::binary)};
        SL::CVexaFileOutputSampleIterator output(files, 4);
        for (std::int32_t i = 0; i < 2 * kLength; ++i) {
            output.SetValue(static_cast<std::int16_t>(12000 * std::sin(0.02 * (i / 2) + i % 2) +
                                                      int(rng() % 500)));
            output.Advance();
        }
        ASSERT_TRUE(output.Finish());
    }
    EXPECT_EQ(std::filesystem::file_size(left), std::uintmax_t((kLength + 15) / 16 * 8));

    auto plain = ZQ3::OpenCardSampleInputIterator({left, right}, true, kLength);
    ASSERT_TRUE(plain);
    const Samples decoded = ReadAll(*plain);
    ASSERT_EQ(decoded.size(), 2u * kLength);

    auto card = ZQ3::OpenCardSampleInputIterator({left, right}, true, kLength);
    ASSERT_TRUE(card);
    CSampleIteratorLofiDecorator lofi(card);
    EXPECT_EQ(lofi.GetAttribute().GetLength(), kLength);
    EXPECT_EQ(ReadAll(lofi), SampleAndHold(decoded, 2));
    EXPECT_TRUE(lofi.IsGood());

    lofi.Seek(333);
    EXPECT_EQ(ReadAll(lofi), SampleAndHold(decoded, 2, 333));
}

} // namespace
