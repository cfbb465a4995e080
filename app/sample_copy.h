#pragma once

#include "app/progress.h"

#include <cstdint>

namespace ZQ3 {

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

// Moves the samples of input into output, in interleaved order, showing the number of samples
// moved on progress and stopping when Cancel is pressed. The caller has set the progress range.
// Input and Output are the iterators' own classes where they are known, so that the per-sample
// steps compile to direct calls; Finish is the caller's business.
template <class Input, class Output>
SampleCopyResult CopySamples(Input& input, Output& output, UL::IProgress& progress) {
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
    }
    // An input still valid here met an output that could take no more: the copy is incomplete.
    if (input.IsValid() || !input.IsGood() || !output.IsGood()) {
        return SampleCopyResult::Failed;
    }
    return SampleCopyResult::Completed;
}

} // namespace ZQ3
