#include "app/pad_listeners.h"

#include "app/controller.h"
#include "app/player.h"

#include <vector>

namespace ZQ3 {

void CPadSelectionEventListener::selectPad(APad& pad) {
    // The controller keeps the selection only while a bank is open, and refreshes the pads and
    // commands itself.
    controller_->selectPad(pad.index);
    const auto& device = player_ ? player_->getAudioOutDevice() : nullptr;
    if (device && device->isPlaying()) {
        // Reports "Playback failed." when the device would not stop.
        player_->stop();
    }
}

void CPadExecuteEventListener::playPad(APad& pad) {
    const CModel& model = controller_->model();
    if (!player_ || !model.hasSample(pad.index)) {
        return;
    }
    // As the player plays a pad, so that a damaged one is named with its files.
    player_->playPad(model, pad.index);
    lastBank_ = model.bank;
    lastPad_ = pad.index;
}

void CPadPlayStopEventListener::editPad(APad& pad) {
    const auto& device = player_ ? player_->getAudioOutDevice() : nullptr;
    if (device && device->isPlaying()) {
        player_->stop();
        return;
    }
    execute_->playPad(pad);
}

int CPadArrowFocusEventListener::Neighbour(int index, int direction, int columns, int padCount) {
    const int column = index % columns;
    int target = index;
    switch (direction) {
    case APad::FocusLeft:
        target = column > 0 ? index - 1 : index;
        break;
    case APad::FocusRight:
        target = column < columns - 1 ? index + 1 : index;
        break;
    case APad::FocusUp:
        // Pad numbers grow upwards: the row above is columns further on.
        target = index + columns < padCount ? index + columns : index;
        break;
    case APad::FocusDown:
        target = index - columns >= 0 ? index - columns : index;
        break;
    case APad::FocusFirst:
        target = 0;
        break;
    case APad::FocusLast:
        target = padCount - 1;
        break;
    default:
        break;
    }
    return target;
}

void CPadArrowFocusEventListener::focusPad(APad& pad, int direction) {
    if (direction == APad::FocusByMouse || !pads_) {
        return;
    }
    const int target = Neighbour(pad.index, direction, columns_, padCount_);
    if (target != pad.index && target >= 0 && static_cast<std::size_t>(target) < pads_->size()) {
        selection_->selectPad(*(*pads_)[static_cast<std::size_t>(target)]);
    }
}

} // namespace ZQ3
