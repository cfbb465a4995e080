// The sample loop of import and export: how it ends, how often it asks the progress, and that
// the direct-call view is only ever taken of an object of exactly the named class.

#include "app/sample_copy.h"
#include "sl/samples/sample_iterator.h"
#include "tests/support/silent_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace ZQ3 {
namespace {

constexpr int Tag = SL::CSampleTag::Integer16;

// Counts 0, 1, 2, ... up to count samples; goes bad at badAt when that is given.
class CCountingInput : public SL::ITypedInputSampleIterator<Tag> {
public:
    explicit CCountingInput(int count, int badAt = -1) : count_(count), badAt_(badAt) {}
    bool IsValid() const override { return good_ && next_ < count_; }
    void Advance() override {
        ++next_;
        if (next_ == badAt_) {
            good_ = false;
        }
    }
    std::int16_t GetValue() const override { return static_cast<std::int16_t>(next_); }
    // The run read of the card reader, a step at a time.
    std::size_t Read(std::int16_t* values, std::size_t count) {
        std::size_t read = 0;
        for (; read < count && IsValid(); ++read, Advance()) {
            values[read] = GetValue();
        }
        return read;
    }
    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good_; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

private:
    int count_;
    int badAt_;
    int next_ = 0;
    bool good_ = true;
    SL::CSampleAttribute attribute_;
};

class CNegatedInput : public CCountingInput {
public:
    using CCountingInput::CCountingInput;
    std::int16_t GetValue() const override {
        return static_cast<std::int16_t>(-CCountingInput::GetValue());
    }
};

// Keeps up to capacity samples.
class CCollectingOutput : public SL::ITypedOutputSampleIterator<Tag> {
public:
    explicit CCollectingOutput(std::size_t capacity) : capacity_(capacity) {}
    bool IsValid() const override { return samples.size() < capacity_; }
    void Advance() override { samples.push_back(pending_); }
    void SetValue(std::int16_t value) override { pending_ = value; }
    std::int64_t Room() const { return static_cast<std::int64_t>(capacity_ - samples.size()); }
    std::size_t Write(const std::int16_t* values, std::size_t count) {
        const std::size_t taken = std::min(count, capacity_ - samples.size());
        samples.insert(samples.end(), values, values + taken);
        return taken;
    }
    bool Finish() override { return true; }
    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

    std::vector<std::int16_t> samples;

private:
    std::size_t capacity_;
    std::int16_t pending_ = 0;
    SL::CSampleAttribute attribute_;
};

// The two loops, sample by sample and in runs, must move the same samples and end the same way.
struct CStepCopy {
    template <class... Arguments>
    static SampleCopyResult Copy(Arguments&&... arguments) {
        return CopySamples(std::forward<Arguments>(arguments)...);
    }
};
struct CRunCopy {
    template <class... Arguments>
    static SampleCopyResult Copy(Arguments&&... arguments) {
        return CopySampleRuns(std::forward<Arguments>(arguments)...);
    }
};

template <class Loop>
class SampleCopy : public ::testing::Test {};
using Loops = ::testing::Types<CStepCopy, CRunCopy>;
TYPED_TEST_SUITE(SampleCopy, Loops);

TYPED_TEST(SampleCopy, CopiesEverySampleAndAsksTheProgressOncePerStep) {
    const int count = 3 * static_cast<int>(kSamplesPerProgressStep) + 5;
    CCountingInput input(count);
    CCollectingOutput output(count);
    UL::CSilentProgress progress;
    progress.begin(count, "", true);
    int steps = 0;

    EXPECT_EQ(TypeParam::Copy(input, output, progress, [&steps] { ++steps; }),
              SampleCopyResult::Completed);

    ASSERT_EQ(output.samples.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < output.samples.size(); ++i) {
        ASSERT_EQ(output.samples[i], static_cast<std::int16_t>(i));
    }
    EXPECT_EQ(progress.getPosition(), count);
    EXPECT_EQ(progress.cancelQueries(), 4);
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(progress.backwardMoves(), 0);
}

TYPED_TEST(SampleCopy, EndsEarlyOnCancelABadSourceOrAFullOutput) {
    UL::CSilentProgress cancelling;
    cancelling.begin(0, "", true);
    cancelling.pressCancelAtQuery(2);
    CCountingInput long1(100000);
    CCollectingOutput wide1(100000);
    EXPECT_EQ(TypeParam::Copy(long1, wide1, cancelling), SampleCopyResult::Cancelled);
    EXPECT_EQ(wide1.samples.size(), static_cast<std::size_t>(kSamplesPerProgressStep));

    UL::CSilentProgress progress;
    CCountingInput failing(10000, 5000);
    CCollectingOutput wide2(100000);
    EXPECT_EQ(TypeParam::Copy(failing, wide2, progress), SampleCopyResult::Failed);
    EXPECT_EQ(wide2.samples.size(), 5000u);

    // An output that fills up takes what fits, and the input left over fails the copy.
    CCountingInput long2(10000);
    CCollectingOutput narrow(9999);
    EXPECT_EQ(TypeParam::Copy(long2, narrow, progress), SampleCopyResult::Failed);
    EXPECT_EQ(narrow.samples.size(), 9999u);
    EXPECT_TRUE(long2.IsValid());
    EXPECT_EQ(long2.GetValue(), 9999);
}

TEST(ExactSampleIterator, TheDirectViewIsTakenOnlyOfTheExactClass) {
    CCountingInput counting(10);
    CNegatedInput negated(10);
    SL::ITypedInputSampleIterator<Tag>& asBase = negated;

    EXPECT_TRUE(ExactlyAs<CCountingInput>(counting));
    // Calling CCountingInput's own operations on it would skip the override.
    EXPECT_FALSE(ExactlyAs<CCountingInput>(asBase));
    EXPECT_TRUE(ExactlyAs<CNegatedInput>(asBase));

    auto direct = ExactlyAs<CCountingInput>(counting);
    CCollectingOutput output(10);
    UL::CSilentProgress progress;
    EXPECT_EQ(CopySamples(*direct, output, progress), SampleCopyResult::Completed);
    EXPECT_EQ(output.samples, (std::vector<std::int16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

} // namespace
} // namespace ZQ3
