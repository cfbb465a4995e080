#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "app/temporary_files.h"

#include <optional>

namespace ZQ3 {

// Empties one pad of the card. The information file is rewritten first and the channel files
// are removed after it: a card interrupted half-way then at worst holds unlisted files, never a
// listed sample whose files are gone. Failures are reported to the user here; the caller
// installs the new model on success. The temporary files go when the command does.
class CDeleteCommand {
public:
    explicit CDeleteCommand(const CModel& installed) : installed_(installed) {}

    // pad is a pad of the installed model's bank, which must hold a card.
    CommandOutcome run(int pad);

    // The model to install after a successful run: the installed one with the pad's slot empty.
    std::optional<CModel>& newModel() { return newModel_; }

private:
    CommandOutcome fail();

    const CModel& installed_;
    std::optional<CModel> newModel_;
    CTemporaryFiles temporaries_;
};

} // namespace ZQ3
