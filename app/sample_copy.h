#pragma once

#include "ul/progress.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <typeinfo>
#include <vector>

namespace ZQ3 {

// An iterator whose exact class is known, seen through that class: its operations are called
// directly rather than through the virtual table, so that the compiler can inline them into the
// sample loop. Made only by ExactlyAs, which checks the object's dynamic class: a direct call
// on an object of a derived class would skip its overrides.
template <class Iterator>
class CExactIterator {
public:
    bool IsValid() const { return iterator_.Iterator::IsValid(); }
    bool IsGood() const { return iterator_.Iterator::IsGood(); }
    void Advance() { iterator_.Iterator::Advance(); }
    auto GetValue() const { return iterator_.Iterator::GetValue(); }
    template <class Value>
    void SetValue(Value value) {
        iterator_.Iterator::SetValue(value);
    }
    // The run operations of iterators that have them (they are not virtual).
    template <class Value>
    std::size_t Read(Value* values, std::size_t count) {
        return iterator_.Read(values, count);
    }
    auto Room() const { return iterator_.Room(); }
    template <class Value>
    std::size_t Write(const Value* values, std::size_t count) {
        return iterator_.Write(values, count);
    }

private:
    template <class Exact, class Base>
    friend std::optional<CExactIterator<Exact>> ExactlyAs(Base& iterator);
    explicit CExactIterator(Iterator& iterator) : iterator_(iterator) {}

    Iterator& iterator_;
};

// iterator seen as an object of class Exact when that is its dynamic class, else nothing.
template <class Exact, class Base>
std::optional<CExactIterator<Exact>> ExactlyAs(Base& iterator) {
    if (typeid(iterator) != typeid(Exact)) {
        return std::nullopt;
    }
    return CExactIterator<Exact>(dynamic_cast<Exact&>(iterator));
}

enum class SampleCopyResult {
    // The source ran out normally and every sample reached the output.
    Completed,
    Cancelled,
    // A read or write error, or an output that filled up before the source ended.
    Failed,
};

// Samples moved between two progress updates. Every update may repaint and pump a display, and
// every cancel query pumps it too: once per sample, the display would cost more than the codec.
// 4096 samples are about 50 ms of stereo sound, a fraction of a millisecond of work, so the bar
// still moves smoothly and Cancel answers at once.
constexpr std::int64_t kSamplesPerProgressStep = 4096;

// What a copy does besides showing progress after each step: nothing.
struct CNoStepWork {
    void operator()() const {}
};

// Moves the samples of input into output, in interleaved order, showing the number of samples
// moved on progress and stopping when Cancel is pressed. The caller has set the progress range.
// Input and Output are the iterators' own classes where they are known, so that the per-sample
// steps compile to direct calls; Finish is the caller's business.
// afterStep runs after each progress update, for work that keeps pace with the copy.
template <class Input, class Output, class StepWork = CNoStepWork>
SampleCopyResult CopySamples(Input& input, Output& output, UL::IProgress& progress,
                             StepWork afterStep = {}) {
    std::int64_t moved = 0;
    progress.setPosition(0);
    while (input.IsValid() && output.IsValid()) {
        if (progress.isCancelled()) {
            return SampleCopyResult::Cancelled;
        }
        const std::int64_t stepEnd = moved + kSamplesPerProgressStep;
        do {
            output.SetValue(input.GetValue());
            input.Advance();
            output.Advance();
            ++moved;
        } while (moved != stepEnd && input.IsValid() && output.IsValid());
        progress.setPosition(moved);
        afterStep();
    }
    // An input still valid here met an output that could take no more: the copy is incomplete.
    if (input.IsValid() || !input.IsGood() || !output.IsGood()) {
        return SampleCopyResult::Failed;
    }
    return SampleCopyResult::Completed;
}

// CopySamples for a pair of iterators that move samples in runs: the input's Read(values, count)
// and the output's Room() and Write(values, count), as the card reader and the plain file writer
// offer. Progress, cancel points and results are those of CopySamples; only the samples travel
// through a buffer a progress step at a time.
template <class Input, class Output, class StepWork = CNoStepWork>
SampleCopyResult CopySampleRuns(Input& input, Output& output, UL::IProgress& progress,
                                StepWork afterStep = {}) {
    using Value = decltype(input.GetValue());
    std::vector<Value> buffer(static_cast<std::size_t>(kSamplesPerProgressStep));
    std::int64_t moved = 0;
    progress.setPosition(0);
    while (input.IsValid() && output.IsValid()) {
        if (progress.isCancelled()) {
            return SampleCopyResult::Cancelled;
        }
        // Never takes more from the input than the output can hold, so that an input left over
        // is seen as such below.
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(kSamplesPerProgressStep, output.Room()));
        const std::size_t read = input.Read(buffer.data(), wanted);
        const std::size_t written = output.Write(buffer.data(), read);
        moved += static_cast<std::int64_t>(written);
        progress.setPosition(moved);
        afterStep();
        if (written != read) {
            return SampleCopyResult::Failed;
        }
    }
    if (input.IsValid() || !input.IsGood() || !output.IsGood()) {
        return SampleCopyResult::Failed;
    }
    return SampleCopyResult::Completed;
}

} // namespace ZQ3
