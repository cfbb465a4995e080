#pragma once

#include "sl/samples/ring_sample_state.h"
#include "sl/samples/sample_incrementer.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace SL {

namespace Detail {

// The ring half of both ring incrementers: it follows an iterator through the storage, wraps
// it back to the first byte when it passes the end, and moves the ring's shared offset along,
// in whole frames only, so the other side never sees half a frame.
class CRingCursor {
public:
    CRingCursor(std::shared_ptr<CRingSampleState> ring, std::atomic<std::size_t>* shared,
                std::size_t offset)
        : ring_(std::move(ring)), shared_(shared), frameBytes_(ring_->GetFrameBytes()),
          size_(ring_->GetSize()), offset_(offset) {}

    // Moves the cursor by a step; returns the step the locator must take, which is negative
    // when the cursor wraps.
    std::ptrdiff_t Move(std::ptrdiff_t step) {
        offset_ += static_cast<std::size_t>(step);
        if (offset_ >= size_) {
            offset_ -= size_;
            step -= static_cast<std::ptrdiff_t>(size_);
        }
        shared_->store(frameBytes_ * (offset_ / frameBytes_), std::memory_order_release);
        return step;
    }

    std::size_t GetOffset() const { return offset_; }

private:
    // Keeps the storage alive while the iterator that owns this cursor lives.
    std::shared_ptr<CRingSampleState> ring_;
    std::atomic<std::size_t>* shared_;
    std::size_t frameBytes_;
    std::size_t size_;
    std::size_t offset_;
};

} // namespace Detail

// Visits every sample of a ring in turn.
template <int Width>
class CLinearRingSampleIncrementer : public ISampleIncrementer<Width> {
public:
    // `shared` is the ring's read or write offset; `offset` the iterator's start, in bytes from
    // the first byte of the storage.
    CLinearRingSampleIncrementer(std::shared_ptr<CRingSampleState> ring,
                                 std::atomic<std::size_t>* shared, std::size_t offset)
        : cursor_(std::move(ring), shared, offset) {}

    std::shared_ptr<ISampleIncrementer<Width>> Clone() const override {
        return std::make_shared<CLinearRingSampleIncrementer>(*this);
    }
    std::ptrdiff_t GetStartOffset() const override { return 0; }
    std::ptrdiff_t Next() override { return cursor_.Move(Width); }

    std::size_t GetOffset() const { return cursor_.GetOffset(); }

private:
    Detail::CRingCursor cursor_;
};

// Visits the selected channels of every frame of a ring.
template <int Width>
class CRingSampleIncrementer : public CSampleIncrementer<Width> {
public:
    // `offset` is the start of the iterator's first frame; the cursor begins on the first
    // selected channel in it.
    CRingSampleIncrementer(std::shared_ptr<CRingSampleState> ring, std::atomic<std::size_t>* shared,
                           std::size_t offset, int channelCount, std::vector<int> selectedChannels)
        : CSampleIncrementer<Width>(channelCount, std::move(selectedChannels)),
          cursor_(std::move(ring), shared,
                  offset + static_cast<std::size_t>(this->GetStartOffset())) {}

    std::shared_ptr<ISampleIncrementer<Width>> Clone() const override {
        return std::make_shared<CRingSampleIncrementer>(*this);
    }
    std::ptrdiff_t Next() override { return cursor_.Move(CSampleIncrementer<Width>::Next()); }

    std::size_t GetOffset() const { return cursor_.GetOffset(); }

private:
    Detail::CRingCursor cursor_;
};

} // namespace SL
