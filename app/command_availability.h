#pragma once

#include "app/model.h"

#include <string>

namespace ZQ3 {

// Whether one of the user's commands can run now, and if not, why.
struct CommandState {
    bool enabled = false;
    // Why the command is off, in the catalogue's language ("D5 holds no sample."); empty while
    // it is on.
    std::string reason;

    explicit operator bool() const { return enabled; }
};

// Which commands the model allows: what the desktop program enables and what `zq3` refuses,
// decided once, here. Import needs a selected pad; export, delete and play need one that holds
// a sample; the commands that write (import, delete) need a card that is not read-only.
struct CommandAvailability {
    CommandState chooseBank;
    CommandState importFile;
    CommandState exportPad;
    CommandState deletePad;
    CommandState playPad;
    // What keeps the loaded card from being changed at all, in a line for a status bar; empty
    // when nothing does.
    std::string cardNotice;
};

CommandAvailability AvailableCommands(const CModel& model);

} // namespace ZQ3
