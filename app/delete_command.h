#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "card/card_history.h"
#include "card/file_system.h"

#include <optional>
#include <string>

namespace ZQ3 {

// Empties one pad of the card in one card transaction: the new information file is staged on
// the card, and its taking the old one's place and the removal of the channel files happen
// together or not at all. Failures are reported to the user here; the caller installs the new
// model on success.
class CDeleteCommand {
public:
    explicit CDeleteCommand(const CModel& installed, IFileSystem& fs = PosixFileSystem())
        : installed_(installed), fs_(fs) {}

    // pad is a pad of the installed model's bank, which must hold a card read under its lock,
    // which the caller holds for the whole run.
    CommandOutcome run(int pad);

    // Whether the new information file is read back before the change commits.
    void setReadBack(bool readBack) { readBack_ = readBack; }
    // Keeps the change in history (which outlives the run) before it commits.
    void recordHistoryIn(CCardHistory& history) { history_ = &history; }

    // The model to install after a successful run, or after one that left the change to be
    // completed at the card's next opening: the installed one with the pad's slot empty.
    std::optional<CModel>& newModel() { return newModel_; }

private:
    CommandOutcome fail(const std::string& detail = std::string());

    const CModel& installed_;
    IFileSystem& fs_;
    std::optional<CModel> newModel_;
    bool readBack_ = true;
    CCardHistory* history_ = nullptr;
};

} // namespace ZQ3
