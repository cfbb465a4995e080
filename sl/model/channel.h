#pragma once

#include "gt/nullable.h"
#include "sl/model/entity.h"

#include <memory>
#include <vector>

namespace SL {

// Sample values laid out over a frame range.
template <class T>
class ILocatableBuffer : public virtual ILocatable2D {
public:
    virtual const std::vector<T>& GetSamples() const = 0;
    virtual std::vector<T>& GetSamples() = 0;
};

// The range of the buffer is always [0, number of samples): setting it resizes the samples.
template <class T>
class CLocatableBuffer : public ILocatableBuffer<T> {
public:
    using CRange = ILocatable2D::CRange;

    CRange GetRange() const override { return {0, static_cast<std::int64_t>(samples_.size())}; }
    void SetRange(const CRange& range) override {
        samples_.resize(
            static_cast<std::size_t>(std::max<std::int64_t>(range.second - range.first, 0)));
    }
    const std::vector<T>& GetSamples() const override { return samples_; }
    std::vector<T>& GetSamples() override { return samples_; }

private:
    std::vector<T> samples_;
};

// One channel of a wave. Its placement says where it sits in the stereo field: -1 left, 1 right,
// 0 anywhere else.
class IChannel : public virtual IEntity, public virtual ILocatable2D, public GT::INullable {
public:
    virtual int GetPlacement() const = 0;
    virtual void SetPlacement(int placement) = 0;
};

class CChannelState : public IChannel, public CEntityState {
public:
    int GetPlacement() const override { return placement_; }
    void SetPlacement(int placement) override { placement_ = placement; }

private:
    int placement_ = 0;
};

// A channel that describes the shape of the data without holding samples.
class CNullChannel : public CChannelState, public CLocatedRange {
public:
    std::shared_ptr<ICloneable> Clone() const override {
        return std::make_shared<CNullChannel>(*this);
    }
    bool IsNull() const override { return true; }
};

// A channel whose samples are held as values of the tag's representation.
template <int Tag>
class CChannel;

template <>
class CChannel<0x20040> : public CChannelState {
public:
    std::shared_ptr<ICloneable> Clone() const override { return std::make_shared<CChannel>(*this); }
    bool IsNull() const override { return false; }
    CRange GetRange() const override { return buffer_.GetRange(); }
    void SetRange(const CRange& range) override { buffer_.SetRange(range); }

    CLocatableBuffer<double>& GetBuffer() { return buffer_; }
    const CLocatableBuffer<double>& GetBuffer() const { return buffer_; }

private:
    CLocatableBuffer<double> buffer_;
};

} // namespace SL
