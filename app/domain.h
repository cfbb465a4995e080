#pragma once

#include "app/model.h"
#include "app/playback_stopper.h"

#include <memory>

namespace ZQ3 {

class CController;
class CPlayer;

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

    // Makes the player on the platform's audio output, chosen as the platform's output layer
    // chooses it, with these buffer times (seconds), and makes it the one every command
    // silences first.
    std::shared_ptr<CPlayer> createPlayer(double ringBufferTime, double deviceBufferTime);
};

} // namespace ZQ3
