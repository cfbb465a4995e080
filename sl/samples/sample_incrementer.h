#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace SL {

// The byte distance from one visited sample to the next, for samples Width bytes wide.
template <int Width>
class ISampleIncrementer {
public:
    virtual ~ISampleIncrementer() = default;
    virtual std::shared_ptr<ISampleIncrementer> Clone() const = 0;
    virtual bool IsSame(const ISampleIncrementer& other) const { return this == &other; }
    // Where the first visited sample lies, in bytes from the start of a frame.
    virtual std::ptrdiff_t GetStartOffset() const = 0;
    // The step to the next visited sample; stateful incrementers move on.
    virtual std::ptrdiff_t Next() = 0;
};

// Visits every sample in turn.
template <int Width>
class CLinearSampleIncrementer : public ISampleIncrementer<Width> {
public:
    std::shared_ptr<ISampleIncrementer<Width>> Clone() const override {
        return std::make_shared<CLinearSampleIncrementer>(*this);
    }
    std::ptrdiff_t GetStartOffset() const override { return 0; }
    std::ptrdiff_t Next() override { return Width; }
};

// Visits a subset of the channels of every frame, in ascending channel order. The steps between
// selected channels are kept as a cyclic list; the last step reaches the first selected channel
// of the next frame.
template <int Width>
class CSampleIncrementer : public ISampleIncrementer<Width> {
public:
    // Channel numbers outside 0..channelCount-1 and repeats are ignored; with no usable channel
    // left every channel is visited, so that the incrementer always moves forward.
    CSampleIncrementer(int channelCount, std::vector<int> selectedChannels) {
        if (channelCount < 1) {
            channelCount = 1;
        }
        std::sort(selectedChannels.begin(), selectedChannels.end());
        selectedChannels.erase(std::unique(selectedChannels.begin(), selectedChannels.end()),
                               selectedChannels.end());
        std::erase_if(selectedChannels, [channelCount](int channel) {
            return channel < 0 || channel >= channelCount;
        });
        if (selectedChannels.empty()) {
            for (int channel = 0; channel < channelCount; ++channel) {
                selectedChannels.push_back(channel);
            }
        }
        startOffset_ = std::ptrdiff_t{selectedChannels.front()} * Width;
        for (std::size_t i = 0; i + 1 < selectedChannels.size(); ++i) {
            steps_.push_back(std::ptrdiff_t{selectedChannels[i + 1] - selectedChannels[i]} * Width);
        }
        steps_.push_back(
            std::ptrdiff_t{channelCount - selectedChannels.back() + selectedChannels.front()} *
            Width);
    }

    std::shared_ptr<ISampleIncrementer<Width>> Clone() const override {
        return std::make_shared<CSampleIncrementer>(*this);
    }
    std::ptrdiff_t GetStartOffset() const override { return startOffset_; }
    std::ptrdiff_t Next() override {
        const std::ptrdiff_t step = steps_[cursor_];
        if (++cursor_ == steps_.size()) {
            cursor_ = 0;
        }
        return step;
    }

    const std::vector<std::ptrdiff_t>& GetSteps() const { return steps_; }

private:
    std::ptrdiff_t startOffset_ = 0;
    std::vector<std::ptrdiff_t> steps_;
    std::size_t cursor_ = 0;
};

} // namespace SL
