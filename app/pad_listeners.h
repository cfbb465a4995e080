#pragma once

#include "app/pad.h"

#include <memory>
#include <vector>

namespace ZQ3 {

class CController;
class CPlayer;

// A pressed pad becomes the selected pad of the model, and stops whatever plays.
class CPadSelectionEventListener : public APad::ISelectionEventListener {
public:
    CPadSelectionEventListener(CController& controller, std::shared_ptr<CPlayer> player)
        : controller_(&controller), player_(std::move(player)) {}
    void selectPad(APad& pad) override;

private:
    CController* controller_;
    std::shared_ptr<CPlayer> player_;
};

// A double-clicked pad plays its sample; an empty pad does nothing.
class CPadExecuteEventListener : public APad::IExecuteEventListener {
public:
    CPadExecuteEventListener(CController& controller, std::shared_ptr<CPlayer> player)
        : controller_(&controller), player_(std::move(player)) {}
    void playPad(APad& pad) override;

    // The bank and pad played last; -1 before the first.
    int lastBank() const { return lastBank_; }
    int lastPad() const { return lastPad_; }

private:
    CController* controller_;
    std::shared_ptr<CPlayer> player_;
    int lastBank_ = -1;
    int lastPad_ = -1;
};

// The keyboard's Space and Enter on the selected pad: play it, or stop it while it plays.
class CPadPlayStopEventListener : public APad::IEditEventListener {
public:
    CPadPlayStopEventListener(std::shared_ptr<CPlayer> player,
                              std::shared_ptr<CPadExecuteEventListener> execute)
        : player_(std::move(player)), execute_(std::move(execute)) {}
    void editPad(APad& pad) override;

private:
    std::shared_ptr<CPlayer> player_;
    std::shared_ptr<CPadExecuteEventListener> execute_;
};

// The arrow keys move the selection to the neighbouring pad in the 4 x 4 layout (pad 0 at the
// bottom left); at the edge the selection stays. Home and End go to the first and the last pad.
class CPadArrowFocusEventListener : public APad::IFocusEventListener {
public:
    CPadArrowFocusEventListener(std::shared_ptr<APad::ISelectionEventListener> selection,
                                int columns, int padCount)
        : selection_(std::move(selection)), columns_(columns), padCount_(padCount) {}
    void focusPad(APad& pad, int direction) override;

    // The pad an arrow leads to from index; index itself at the edge.
    static int Neighbour(int index, int direction, int columns, int padCount);

    // Whom the move selects; the matrix connects its pads after the listener is made.
    void setPads(const std::vector<std::shared_ptr<APad>>* pads) { pads_ = pads; }

private:
    std::shared_ptr<APad::ISelectionEventListener> selection_;
    int columns_;
    int padCount_;
    const std::vector<std::shared_ptr<APad>>* pads_ = nullptr;
};

} // namespace ZQ3
