#include "sl/model/domain.h"

namespace SL {

namespace {

template <class TEntity, class TConcrete>
class CDescription : public IEntityDescription<TEntity> {
public:
    explicit CDescription(std::string name) : name_(std::move(name)) {}
    std::string GetEntityName() const override { return name_; }
    std::shared_ptr<TEntity> Create() const override {
        if constexpr (std::is_constructible_v<TConcrete, const CWaveFormat&>) {
            return std::make_shared<TConcrete>(CWaveFormat::WAVE);
        } else {
            return std::make_shared<TConcrete>();
        }
    }

private:
    std::string name_;
};

} // namespace

const CDefaultDomain& CDefaultDomain::Instance() {
    static const CDefaultDomain domain;
    return domain;
}

const IEntityDescription<IWave>& CDefaultDomain::GetWaveDescription() const {
    static const CDescription<IWave, CWave<0x20040>> description("Wave");
    return description;
}

const IEntityDescription<IChannel>& CDefaultDomain::GetChannelDescription() const {
    static const CDescription<IChannel, CNullChannel> description("Channel");
    return description;
}

const IEntityDescription<IEnvelope>& CDefaultDomain::GetEnvelopeDescription() const {
    static const CDescription<IEnvelope, CEnvelope> description("Envelope");
    return description;
}

const IEntityDescription<ILoop>& CDefaultDomain::GetLoopDescription() const {
    static const CDescription<ILoop, CLoop> description("Loop");
    return description;
}

} // namespace SL
