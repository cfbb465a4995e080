#pragma once

#include "sl/model/channel.h"
#include "sl/model/wave_format.h"

#include <functional>
#include <memory>
#include <vector>

namespace SL {

class IChannelCollection : public CObject, public virtual ILocatable2D {
public:
    virtual CWaveFormat GetWaveFormat() const = 0;
    virtual std::size_t GetChannelCount() const = 0;
    // Discards the channels and makes that many new ones.
    virtual void SetChannelCount(std::size_t count) = 0;
    virtual std::shared_ptr<IChannel> GetChannel(std::size_t index) const = 0;
    // Exactly two channels, placed left (-1) then right (1).
    bool IsStereoPair() const;
};

// The channels of a wave, made by a channel factory (null channels by default). The length set
// through the range applies to every channel.
class CChannelCollection : public IChannelCollection,
                           public CLocatedRange,
                           public std::vector<std::shared_ptr<IChannel>> {
public:
    using CChannelFactory = std::function<std::shared_ptr<IChannel>(const CWaveFormat&)>;

    explicit CChannelCollection(const CWaveFormat& waveFormat, CChannelFactory factory = {});

    std::shared_ptr<ICloneable> Clone() const override;
    CWaveFormat GetWaveFormat() const override { return waveFormat_; }
    std::size_t GetChannelCount() const override { return size(); }
    void SetChannelCount(std::size_t count) override;
    std::shared_ptr<IChannel> GetChannel(std::size_t index) const override;
    void SetRange(const CRange& range) override;

private:
    CWaveFormat waveFormat_;
    CChannelFactory factory_;
};

// A collection whose channels hold their samples as the tag's values.
template <int Tag>
class CTypedChannelCollection;

template <>
class CTypedChannelCollection<0x20040> : public CChannelCollection {
public:
    explicit CTypedChannelCollection(const CWaveFormat& waveFormat);

    std::shared_ptr<CChannel<0x20040>> GetTypedChannel(std::size_t index) const;
};

} // namespace SL
