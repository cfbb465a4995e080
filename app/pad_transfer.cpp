#include "app/pad_transfer.h"

#include "app/card_undo.h"
#include "app/private_directory.h"
#include "card/card_check.h"
#include "card/card_layout.h"
#include "card/card_recovery.h"
#include "card/card_transaction.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>

#include <sys/stat.h>

namespace ZQ3 {
namespace {

using Problem = PadTransferring::Problem;

PadTransferring Failed(Problem problem, std::string card, PadTransferring transferring = {}) {
    transferring.problem = problem;
    transferring.card = std::move(card);
    return transferring;
}

bool SameCard(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

bool IsSlot(int slot) {
    return slot >= 0 && slot < CardLayout::SlotCount;
}

// The ways the samples go: a swap is a copy each way, all of it staged before any name changes.
std::vector<SlotPair> CopiesOf(PadTransferKind kind, const std::vector<SlotPair>& pairs) {
    std::vector<SlotPair> copies = pairs;
    if (kind == PadTransferKind::Swap) {
        for (const SlotPair& pair : pairs) {
            copies.push_back({pair.destination, pair.source});
        }
    }
    return copies;
}

// Whether the channel files of entry at slot are regular files of the size its record needs,
// so that copying them byte for byte carries the whole sample and nothing else.
bool ChannelFilesAreWhole(const std::string& root, int slot, const SampleEntry& entry,
                          IFileSystem& fs) {
    SampleInformationRecord record;
    record.frameCount = static_cast<std::uint32_t>(entry.frameCount);
    record.lofi = entry.isLofi() ? 1 : 0;
    const std::uint64_t expected = ChannelFileBytes(record);
    const auto whole = [&](const std::string& path) {
        struct stat status {};
        return fs.Lstat(path, status) == 0 && S_ISREG(status.st_mode) &&
               static_cast<std::uint64_t>(status.st_size) == expected;
    };
    return whole(CardLayout::LeftFilePath(root, slot)) &&
           (!entry.stereo || whole(CardLayout::RightFilePath(root, slot)));
}

// A card held for the transfer: locked, settled, its records read.
struct HeldCard {
    explicit HeldCard(IFileSystem& fs) : lock(fs) {}
    CCardLock lock;
    std::vector<SampleEntry> entries;
};

std::optional<PadTransferring> Hold(const std::string& root, HeldCard& card,
                                    const CardLockWaiting& waiting, IFileSystem& fs) {
    switch (card.lock.acquire(root, waiting)) {
    case CCardLock::Result::Locked:
        break;
    case CCardLock::Result::Busy:
    case CCardLock::Result::Cancelled:
        return Failed(Problem::Busy, root);
    case CCardLock::Result::Failed:
        return Failed(Problem::NoCard, root);
    }
    PadTransferring failure;
    const RecoveryResult recovery = RecoverCard(root, fs, &failure.obstacle);
    if (recovery != RecoveryResult::Clean && recovery != RecoveryResult::Finished) {
        failure.error = errno;
        return Failed(Problem::NotRecovered, root, std::move(failure));
    }
    SampleInformationReading reading =
        ReadSampleInformationFileWithReason(CardLayout::InformationFilePath(root));
    if (!reading.entries) {
        return Failed(Problem::CardNeedsRepair, root);
    }
    card.entries = std::move(*reading.entries);
    return std::nullopt;
}

// Stages what the copies put on the destination card and names the steps of its commit; the
// channel files come from sourceRoot. False with the obstacle when a file cannot be staged.
bool StageCopies(CCardTransaction& transaction, const std::string& sourceRoot,
                 const std::vector<SampleEntry>& source, const std::vector<SlotPair>& copies) {
    int staged = 0;
    for (const SlotPair& copy : copies) {
        const SampleEntry& entry = source[static_cast<std::size_t>(copy.source)];
        const int destination = copy.destination;
        if (entry.isEmpty()) {
            transaction.removeOnCommit(CardLayout::LeftFileName(destination));
            transaction.removeOnCommit(CardLayout::RightFileName(destination));
            continue;
        }
        const std::string base =
            std::string(TemporaryNames::SampleFile) + "T" + std::to_string(staged++) + "_";
        if (!transaction.stage(CardLayout::LeftFilePath(sourceRoot, copy.source), base + "L",
                               nullptr)) {
            return false;
        }
        transaction.renameOnCommit(base + "L", CardLayout::LeftFileName(destination));
        if (entry.stereo) {
            if (!transaction.stage(CardLayout::RightFilePath(sourceRoot, copy.source), base + "R",
                                   nullptr)) {
                return false;
            }
            transaction.renameOnCommit(base + "R", CardLayout::RightFileName(destination));
        } else {
            transaction.removeOnCommit(CardLayout::RightFileName(destination));
        }
    }
    return true;
}

// Commits a change of the card at root to entries, after staging what stage puts there.
std::optional<PadTransferring> Commit(const std::string& root,
                                      const std::vector<SampleEntry>& entries,
                                      const PadTransferOptions& options,
                                      const ChangeDescription& description, IFileSystem& fs,
                                      const std::function<bool(CCardTransaction&)>& stage) {
    CPrivateDirectory work;
    const std::string informationFile = work.file(TemporaryNames::SampleInformationFile);
    PadTransferring failure;
    if (!work.isValid() || !WriteSampleInformationFile(informationFile, entries)) {
        failure.error = errno;
        return Failed(Problem::CannotWrite, root, std::move(failure));
    }
    std::optional<CCardHistory> history =
        options.recordHistory ? CCardHistory::ForCard(root) : std::nullopt;
    CCardTransaction transaction(root, fs);
    transaction.setReadBack(options.readBack);
    if (history) {
        transaction.recordIn(*history, description);
    }
    if (!stage(transaction) ||
        !transaction.stage(informationFile, TemporaryNames::SampleInformationFile, nullptr)) {
        failure.obstacle = transaction.obstacle();
        failure.error = errno;
        return Failed(Problem::CannotWrite, root, std::move(failure));
    }
    transaction.renameOnCommit(TemporaryNames::SampleInformationFile,
                               CardLayout::InformationFileName);
    const CCardTransaction::Result result = transaction.commit();
    failure.obstacle = transaction.obstacle();
    switch (result) {
    case CCardTransaction::Result::Done:
        return std::nullopt;
    case CCardTransaction::Result::NotCommitted:
        return Failed(Problem::CannotWrite, root, std::move(failure));
    case CCardTransaction::Result::Pending:
        return Failed(Problem::Pending, root, std::move(failure));
    case CCardTransaction::Result::Undecided:
        break;
    }
    return Failed(Problem::Undecided, root, std::move(failure));
}

} // namespace

PadTransferPlan PlanPadTransfer(PadTransferKind kind, const std::vector<SlotPair>& pairs,
                                const std::vector<SampleEntry>& source,
                                const std::vector<SampleEntry>& destination, bool oneCard) {
    PadTransferPlan plan;
    plan.sourceEntries = source;
    plan.destinationEntries = destination;
    if (kind == PadTransferKind::Swap && !oneCard) {
        plan.refusal = PadTransferRefusal::SwapBetweenCards;
        return plan;
    }
    const auto refuse = [&plan](PadTransferRefusal refusal) {
        plan.refusal = refusal;
        return plan;
    };
    std::set<int> sources;
    std::set<int> destinations;
    for (const SlotPair& pair : pairs) {
        if (!IsSlot(pair.source) || !IsSlot(pair.destination) ||
            static_cast<std::size_t>(std::max(pair.source, pair.destination)) >=
                std::min(source.size(), destination.size()) ||
            !destinations.insert(pair.destination).second || !sources.insert(pair.source).second) {
            return refuse(PadTransferRefusal::BadSlots);
        }
    }
    if (pairs.empty()) {
        return refuse(PadTransferRefusal::BadSlots);
    }
    if (oneCard) {
        for (const int slot : sources) {
            if (destinations.count(slot) != 0) {
                return refuse(PadTransferRefusal::Overlapping);
            }
        }
    }
    const bool anySample = std::any_of(pairs.begin(), pairs.end(), [&](const SlotPair& pair) {
        return !source[static_cast<std::size_t>(pair.source)].isEmpty() ||
               (kind == PadTransferKind::Swap &&
                !destination[static_cast<std::size_t>(pair.destination)].isEmpty());
    });
    if (!anySample) {
        return refuse(PadTransferRefusal::NothingToTransfer);
    }

    // Every copy reads the records as they were, so a swap's two ways see the same card.
    std::vector<SampleEntry>& after = oneCard ? plan.sourceEntries : plan.destinationEntries;
    for (const SlotPair& copy : CopiesOf(kind, pairs)) {
        after[static_cast<std::size_t>(copy.destination)] =
            source[static_cast<std::size_t>(copy.source)];
    }
    if (kind == PadTransferKind::Move) {
        for (const SlotPair& pair : pairs) {
            plan.sourceEntries[static_cast<std::size_t>(pair.source)] = SampleEntry{};
        }
    }
    if (oneCard) {
        plan.destinationEntries = plan.sourceEntries;
    }
    if (kind != PadTransferKind::Swap) {
        // Even the same record may stand for another sound: every sample written over counts.
        for (const int slot : destinations) {
            if (!destination[static_cast<std::size_t>(slot)].isEmpty()) {
                plan.replacedSlots.push_back(slot);
            }
        }
    }
    return plan;
}

PadTransferring TransferPads(const std::string& sourceRoot, const std::string& destinationRoot,
                             const std::vector<SlotPair>& pairs, const PadTransferOptions& options,
                             IFileSystem& fs) {
    const bool oneCard = SameCard(sourceRoot, destinationRoot);
    HeldCard sourceCard(fs);
    HeldCard destinationCard(fs);
    // Two converters copying between the same two cards take the locks in the same order.
    const bool sourceFirst = oneCard || sourceRoot < destinationRoot;
    const std::string& firstRoot = sourceFirst ? sourceRoot : destinationRoot;
    HeldCard& first = sourceFirst ? sourceCard : destinationCard;
    if (auto failure = Hold(firstRoot, first, options.waiting, fs)) {
        return *failure;
    }
    if (!oneCard) {
        const std::string& secondRoot = sourceFirst ? destinationRoot : sourceRoot;
        if (auto failure =
                Hold(secondRoot, sourceFirst ? destinationCard : sourceCard, options.waiting, fs)) {
            return *failure;
        }
    }
    const std::vector<SampleEntry>& source = sourceCard.entries;
    const std::vector<SampleEntry>& destination = oneCard ? source : destinationCard.entries;

    PadTransferPlan plan = PlanPadTransfer(options.kind, pairs, source, destination, oneCard);
    if (plan.refusal != PadTransferRefusal::None) {
        PadTransferring refused;
        refused.refusal = plan.refusal;
        return Failed(Problem::Refused, sourceRoot, std::move(refused));
    }
    const std::vector<SlotPair> copies = CopiesOf(options.kind, pairs);
    for (const SlotPair& copy : copies) {
        const SampleEntry& entry = source[static_cast<std::size_t>(copy.source)];
        if (!entry.isEmpty() && !ChannelFilesAreWhole(sourceRoot, copy.source, entry, fs)) {
            PadTransferring damaged;
            damaged.slot = copy.source;
            return Failed(Problem::SourceDamaged, sourceRoot, std::move(damaged));
        }
    }
    if (!plan.replacedSlots.empty() &&
        !(options.confirmReplacing && options.confirmReplacing(plan.replacedSlots))) {
        PadTransferring declined;
        declined.replacedSlots = plan.replacedSlots;
        return Failed(Problem::Declined, destinationRoot, std::move(declined));
    }

    const auto stageCopies = [&](CCardTransaction& transaction) {
        if (!StageCopies(transaction, sourceRoot, source, copies)) {
            return false;
        }
        if (oneCard && options.kind == PadTransferKind::Move) {
            for (const SlotPair& pair : pairs) {
                transaction.removeOnCommit(CardLayout::LeftFileName(pair.source));
                transaction.removeOnCommit(CardLayout::RightFileName(pair.source));
            }
        }
        return true;
    };
    const ChangeDescription description = TransferDescription(options.kind, pairs);
    if (auto failure = Commit(destinationRoot, plan.destinationEntries, options, description, fs,
                              stageCopies)) {
        failure->replacedSlots = plan.replacedSlots;
        return *failure;
    }
    if (oneCard || options.kind != PadTransferKind::Move) {
        PadTransferring done;
        done.replacedSlots = plan.replacedSlots;
        return done;
    }
    // The copy is on the destination card: emptying the source is a change of its own.
    const auto removeSources = [&](CCardTransaction& transaction) {
        for (const SlotPair& pair : pairs) {
            transaction.removeOnCommit(CardLayout::LeftFileName(pair.source));
            transaction.removeOnCommit(CardLayout::RightFileName(pair.source));
        }
        return true;
    };
    if (auto failure =
            Commit(sourceRoot, plan.sourceEntries, options, description, fs, removeSources)) {
        failure->sourceNotEmptied = true;
        return *failure;
    }
    PadTransferring done;
    done.replacedSlots = plan.replacedSlots;
    return done;
}

} // namespace ZQ3
