#include "app/card_repair.h"

#include "app/import_command.h"
#include "app/private_directory.h"
#include "card/card_layout.h"
#include "card/card_recovery.h"
#include "card/card_transaction.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"

#include <cerrno>
#include <climits>
#include <ctime>

namespace ZQ3 {
namespace {

using Problem = CardRepairing::Problem;
namespace FT = FileTransfer;

// Whether the slot's valid record agrees with its files, as the check judged.
bool SlotIsSound(const CardCheck& check, int slot) {
    for (const CardFinding& finding : check.findings) {
        if (finding.slot == slot) {
            return false;
        }
    }
    return static_cast<std::size_t>(slot) < check.records.size();
}

// A record for what the slot's files hold, when its left file is usable. A valid record's own
// word counts where the files cannot tell: whether the sample is lo-fi, whether it is mono, and
// the fields the converter only carries.
std::optional<SampleEntry> RebuiltEntry(const SlotFiles& files,
                                        const std::optional<SampleEntry>& record) {
    const bool lofi = record && record->isLofi();
    const std::uint64_t frameBytes = lofi ? 8 : 16;
    if (!files.left.HoldsWholeFrames(frameBytes)) {
        return std::nullopt;
    }
    // Each frame of a channel file codes 16 samples; a lo-fi sample plays two for each frame
    // its record counts.
    std::uint64_t frames = files.left.bytes / frameBytes * 16;
    if (lofi) {
        frames /= 2;
    }
    if (frames > static_cast<std::uint64_t>(INT32_MAX)) {
        return std::nullopt;
    }
    const bool stereo =
        files.right.regular && files.right.bytes == files.left.bytes && (!record || record->stereo);
    SampleEntry entry = CImportCommand::NewEntry(static_cast<std::int64_t>(frames), stereo ? 2 : 1);
    if (record) {
        entry.lofi = record->lofi;
        entry.option14 = record->option14;
        entry.flag15 = record->flag15;
        entry.flag16 = record->flag16;
        entry.option17 = record->option17;
        entry.option20 = record->option20;
    }
    return entry;
}

CardRepairing Refused(Problem problem, CardRepairing repairing = {}) {
    repairing.problem = problem;
    return repairing;
}

} // namespace

CardRepairPlan PlanCardRepair(const CardCheck& check) {
    CardRepairPlan plan;
    plan.entries.assign(CardLayout::SlotCount, SampleEntry{});
    plan.rewritesInformationFile = check.reading.problem != SampleInformationReading::Problem::None;
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        const SlotFiles& files = check.files[index];
        if (SlotIsSound(check, slot)) {
            plan.entries[index] = check.records[index].ToEntry();
            continue;
        }
        std::optional<SampleEntry> record;
        if (index < check.records.size() && check.records[index].IsValid()) {
            record = check.records[index].ToEntry();
        }
        if (index >= check.records.size() && !files.left.present && !files.right.present) {
            continue; // past the end of a short file, with nothing to lose: simply empty
        }
        const bool recordIsEmpty = record && record->isEmpty();
        std::optional<SampleEntry> rebuilt;
        if (!recordIsEmpty) {
            rebuilt = RebuiltEntry(files, record);
        }
        if (rebuilt) {
            plan.entries[index] = *rebuilt;
            plan.slotRepairs.push_back({slot, SlotRepair::Action::Rebuilt});
        } else if (!recordIsEmpty) {
            plan.slotRepairs.push_back({slot, SlotRepair::Action::Emptied});
        }
        // A file the repaired record does not use goes: an orphan, the right file of what is
        // now mono, the files of an emptied slot.
        if (files.left.present && !rebuilt) {
            plan.removals.push_back(CardLayout::LeftFileName(slot));
        }
        if (files.right.present && !(rebuilt && rebuilt->stereo)) {
            plan.removals.push_back(CardLayout::RightFileName(slot));
        }
    }
    if (!plan.slotRepairs.empty()) {
        plan.rewritesInformationFile = true;
    }
    return plan;
}

std::string KeptInformationFileName(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    return std::string(CardLayout::InformationFileName) + ".bad-" + stamp;
}

CardRepairing
RepairCard(const std::string& root,
           const std::function<bool(const CardCheck&, const CardRepairPlan&)>& confirm,
           const CardLockWaiting& waiting, IFileSystem& fs) {
    CardRepairing repairing;
    CCardLock lock(fs);
    switch (lock.acquire(root, waiting)) {
    case CCardLock::Result::Locked:
        break;
    case CCardLock::Result::Busy:
    case CCardLock::Result::Cancelled:
        return Refused(Problem::Busy);
    case CCardLock::Result::Failed:
        return Refused(Problem::NoCardFolder);
    }
    const RecoveryResult recovery = RecoverCard(root, fs, &repairing.obstacle);
    if (recovery != RecoveryResult::Clean && recovery != RecoveryResult::Finished) {
        repairing.error = errno;
        return Refused(Problem::NotRecovered, std::move(repairing));
    }
    repairing.check = CheckCard(root, fs);
    repairing.plan = PlanCardRepair(repairing.check);
    if (repairing.plan.NothingToDo()) {
        return repairing;
    }
    // Not asked at all when the answer could not be carried out.
    if (IsReadOnlyVolume(CardLayout::CardDirectory(root), fs)) {
        repairing.obstacle = {CardObstacle::Kind::ReadOnlyCard, root, EROFS};
        return Refused(Problem::CannotWrite, std::move(repairing));
    }
    if (!confirm(repairing.check, repairing.plan)) {
        return Refused(Problem::Declined, std::move(repairing));
    }

    CPrivateDirectory work;
    const std::string informationFile = work.file(TemporaryNames::SampleInformationFile);
    if (!work.isValid() || !WriteSampleInformationFile(informationFile, repairing.plan.entries)) {
        repairing.error = errno;
        return Refused(Problem::CannotWrite, std::move(repairing));
    }
    // The old file is kept before anything on the card changes, beside the card's folder where
    // the sampler does not look.
    const std::string oldFile = CardLayout::InformationFilePath(root);
    std::string kept;
    if (FT::Exists(oldFile, fs)) {
        kept = root + "/KELDRA/" + KeptInformationFileName(std::time(nullptr));
        if (!FT::CopyAndUnlock(oldFile, kept, FT::Flush::ToDevice, fs)) {
            repairing.error = errno;
            repairing.keptInformationFile = kept;
            return Refused(Problem::CannotWrite, std::move(repairing));
        }
    }
    CCardTransaction transaction(root, fs);
    if (!transaction.stage(informationFile, TemporaryNames::SampleInformationFile, nullptr)) {
        repairing.obstacle = transaction.obstacle();
        repairing.error = errno;
        if (!kept.empty()) {
            FT::Remove(kept, fs);
        }
        return Refused(Problem::CannotWrite, std::move(repairing));
    }
    for (const std::string& name : repairing.plan.removals) {
        transaction.removeOnCommit(name);
    }
    transaction.renameOnCommit(TemporaryNames::SampleInformationFile,
                               CardLayout::InformationFileName);
    repairing.keptInformationFile = kept;
    switch (transaction.commit()) {
    case CCardTransaction::Result::Done:
        return repairing;
    case CCardTransaction::Result::NotCommitted:
        repairing.obstacle = transaction.obstacle();
        repairing.error = errno;
        repairing.keptInformationFile.clear();
        if (!kept.empty()) {
            FT::Remove(kept, fs);
        }
        return Refused(Problem::CannotWrite, std::move(repairing));
    case CCardTransaction::Result::Pending:
        repairing.obstacle = transaction.obstacle();
        return Refused(Problem::Pending, std::move(repairing));
    case CCardTransaction::Result::Undecided:
        repairing.obstacle = transaction.obstacle();
        return Refused(Problem::Undecided, std::move(repairing));
    }
    return repairing;
}

} // namespace ZQ3
