#include "app/domain.h"

#include "app/controller.h"
#include "app/player.h"
#include "sl/audio/mme_audio_device_base.h"
#include "sl/audio/mme_audio_device_facade.h"

namespace ZQ3 {

CDomain::CDomain()
    : model(std::make_shared<CModel>()), controller(std::make_shared<CController>(*this)) {}

CDomain::~CDomain() = default;

std::shared_ptr<CPlayer> CDomain::createPlayer(double ringBufferTime, double deviceBufferTime) {
    auto made = std::make_shared<CPlayer>(
        std::make_shared<SL::CMmeAudioDeviceFacade>(SL::CMmeAudioDeviceBase::EventCallback));
    made->setBufferTimes(ringBufferTime, deviceBufferTime);
    player = made;
    return made;
}

} // namespace ZQ3
