#pragma once

#include "app/model.h"
#include "app/playback_stopper.h"

#include <memory>

namespace ZQ3 {

class CController;

// The object graph of one run: the installed model, the controller that changes it and the
// player that auditions samples.
class CDomain {
public:
    CDomain();
    ~CDomain();
    CDomain(const CDomain&) = delete;
    CDomain& operator=(const CDomain&) = delete;

    std::shared_ptr<CModel> model;
    std::shared_ptr<CController> controller;
    // Stops the audition output before every command; null until a player exists.
    std::shared_ptr<IPlaybackStopper> player;
};

} // namespace ZQ3
