#pragma once

#include "sl/model/bit_depth.h"
#include "sl/model/channel_collection.h"
#include "sl/model/entity.h"
#include "sl/model/envelope.h"
#include "sl/model/loop.h"
#include "sl/model/wave_format.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace SL {

// A sound: its properties, loops, envelopes and channels. The frame range is the sound's extent.
class IWave : public virtual IEntity, public virtual ILocatable2D {
public:
    using CPitch = std::array<double, 3>;

    virtual CWaveFormat GetWaveFormat() const = 0;
    // How this wave holds its own sample values.
    virtual CBitDepth GetRepresentation() const = 0;
    // How the samples were represented in the file the wave came from.
    virtual CBitDepth GetSourceBitDepth() const = 0;
    virtual void SetSourceBitDepth(const CBitDepth& bitDepth) = 0;
    virtual double GetSampleRate() const = 0;
    virtual void SetSampleRate(double sampleRate) = 0;
    // Root key in semitones, its fine tuning in semitones, and the two combined.
    virtual CPitch GetPitch() const = 0;
    virtual void SetPitch(const CPitch& pitch) = 0;
    virtual const std::string& GetComment() const = 0;
    virtual void SetComment(const std::string& comment) = 0;

    virtual std::vector<std::shared_ptr<ILoop>>& GetLoops() = 0;
    virtual const std::vector<std::shared_ptr<ILoop>>& GetLoops() const = 0;
    // The first loop; a wave always has one.
    virtual std::shared_ptr<ILoop> GetLoop() const = 0;
    virtual std::vector<std::shared_ptr<IEnvelope>>& GetEnvelopes() = 0;
    virtual const std::vector<std::shared_ptr<IEnvelope>>& GetEnvelopes() const = 0;
    // The first envelope, or nothing.
    virtual std::shared_ptr<IEnvelope> GetEnvelope() const = 0;
    virtual std::shared_ptr<IChannelCollection> GetChannels() const = 0;
    virtual void SetChannels(std::shared_ptr<IChannelCollection> channels) = 0;
};

template <int Tag>
class CWave;

// A wave whose own samples are double precision.
template <>
class CWave<0x20040> : public IWave, public CEntityState, public CLocatedRange {
public:
    struct CProperties {
        std::string comment;
        CBitDepth sourceBitDepth;
        double sampleRate = 0.0;
        CPitch pitch{};
    };

    explicit CWave(const CWaveFormat& waveFormat);

    std::shared_ptr<ICloneable> Clone() const override;

    CWaveFormat GetWaveFormat() const override { return waveFormat_; }
    CBitDepth GetRepresentation() const override { return CBitDepth::FLOAT64; }
    CBitDepth GetSourceBitDepth() const override { return properties_->sourceBitDepth; }
    void SetSourceBitDepth(const CBitDepth& bitDepth) override {
        properties_->sourceBitDepth = bitDepth;
    }
    double GetSampleRate() const override { return properties_->sampleRate; }
    void SetSampleRate(double sampleRate) override { properties_->sampleRate = sampleRate; }
    CPitch GetPitch() const override { return properties_->pitch; }
    void SetPitch(const CPitch& pitch) override { properties_->pitch = pitch; }
    const std::string& GetComment() const override { return properties_->comment; }
    void SetComment(const std::string& comment) override { properties_->comment = comment; }

    std::vector<std::shared_ptr<ILoop>>& GetLoops() override { return loops_; }
    const std::vector<std::shared_ptr<ILoop>>& GetLoops() const override { return loops_; }
    std::shared_ptr<ILoop> GetLoop() const override { return loops_.front(); }
    std::vector<std::shared_ptr<IEnvelope>>& GetEnvelopes() override { return envelopes_; }
    const std::vector<std::shared_ptr<IEnvelope>>& GetEnvelopes() const override {
        return envelopes_;
    }
    std::shared_ptr<IEnvelope> GetEnvelope() const override {
        return envelopes_.empty() ? nullptr : envelopes_.front();
    }
    std::shared_ptr<IChannelCollection> GetChannels() const override { return channels_; }
    void SetChannels(std::shared_ptr<IChannelCollection> channels) override {
        channels_ = std::move(channels);
    }

private:
    CWaveFormat waveFormat_;
    std::shared_ptr<CProperties> properties_;
    std::vector<std::shared_ptr<ILoop>> loops_;
    std::vector<std::shared_ptr<IEnvelope>> envelopes_;
    std::shared_ptr<IChannelCollection> channels_;
};

} // namespace SL
