#pragma once

#include "sl/model/channel.h"
#include "sl/model/envelope.h"
#include "sl/model/loop.h"
#include "sl/model/wave.h"

#include <memory>
#include <string>

namespace SL {

// What kind of entity something is, and how a new one of that kind is made.
template <class TEntity>
class IEntityDescription {
public:
    virtual ~IEntityDescription() = default;
    virtual std::string GetEntityName() const = 0;
    virtual std::shared_ptr<TEntity> Create() const = 0;
};

// The descriptions of the entity kinds a program works with.
class IDomain {
public:
    virtual ~IDomain() = default;
    virtual const IEntityDescription<IWave>& GetWaveDescription() const = 0;
    virtual const IEntityDescription<IChannel>& GetChannelDescription() const = 0;
    virtual const IEntityDescription<IEnvelope>& GetEnvelopeDescription() const = 0;
    virtual const IEntityDescription<ILoop>& GetLoopDescription() const = 0;
};

// Double-precision waves of format "WAVE" with null channels, amplitude envelopes and loops.
class CDefaultDomain : public IDomain {
public:
    static const CDefaultDomain& Instance();

    const IEntityDescription<IWave>& GetWaveDescription() const override;
    const IEntityDescription<IChannel>& GetChannelDescription() const override;
    const IEntityDescription<IEnvelope>& GetEnvelopeDescription() const override;
    const IEntityDescription<ILoop>& GetLoopDescription() const override;
};

} // namespace SL
