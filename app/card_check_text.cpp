#include "app/card_check_text.h"

#include "app/card_obstacle_details.h"
#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "card/card_layout.h"

#include <cstring>

namespace ZQ3 {

std::string FindingText(const std::string& root, const CardCheck& check,
                        const CardFinding& finding) {
    using Kind = CardFinding::Kind;
    const std::string pad = finding.slot >= 0 ? CardLayout::PadName(finding.slot) : std::string();
    switch (finding.kind) {
    case Kind::NoCardFolder:
        return Localized("{0}: there is no KELDRA/ZQ314 folder of its own (a link to one is never "
                         "followed); this is not a card.",
                         {root});
    case Kind::InformationFileUnreadable:
        return InformationFileDetail(CardLayout::InformationFilePath(root), check.reading);
    case Kind::NoRecord:
        return Localized("{0}: the information file ends before its record.", {pad});
    case Kind::InvalidRecord:
        return Localized("{0}: its record is damaged (the field {1} holds all ones).",
                         {pad, FieldName(finding.field)});
    case Kind::MissingChannelFile:
        return Localized("{0}: its channel file {1} is missing.", {pad, finding.fileName});
    case Kind::ChannelFileNotRegular:
        return Localized("{0}: {1} is not a regular file.", {pad, finding.fileName});
    case Kind::ShortChannelFile:
        if (finding.bytes == 1) {
            return Localized("{0}: {1} holds {2} byte where its record needs {3}: it is cut short.",
                             {pad, finding.fileName, std::to_string(finding.bytes),
                              std::to_string(finding.expectedBytes)});
        }
        return Localized("{0}: {1} holds {2} bytes where its record needs {3}: it is cut short.",
                         {pad, finding.fileName, std::to_string(finding.bytes),
                          std::to_string(finding.expectedBytes)});
    case Kind::LongChannelFile:
        return Localized("{0}: {1} holds {2} bytes where its record needs {3}.",
                         {pad, finding.fileName, std::to_string(finding.bytes),
                          std::to_string(finding.expectedBytes)});
    case Kind::StereoFlagDisagrees:
        return Localized("{0}: its record and its right-channel file {1} disagree on whether the "
                         "sample is stereo.",
                         {pad, finding.fileName});
    case Kind::OrphanChannelFile:
        return Localized("{0}: {1} is on the card, but the pad holds no sample.",
                         {pad, finding.fileName});
    case Kind::Leftover:
        return Localized("{0} was left by an interrupted run of the converter.",
                         {finding.fileName});
    }
    return {};
}

std::string DamagedSampleText(const CModel& model, int slot, IFileSystem& fs) {
    if (!model.hasCard() || slot < 0 || slot >= CardLayout::SlotCount) {
        return {};
    }
    const SampleEntry& entry = model.entries[static_cast<std::size_t>(slot)];
    if (entry.isEmpty()) {
        return {};
    }
    const std::vector<CardFinding> findings = CheckSampleChannelFiles(
        model.cardRoot, slot, SampleInformationRecord::FromEntry(entry), fs);
    if (findings.empty()) {
        return {};
    }
    std::string text;
    for (const CardFinding& finding : findings) {
        text = JoinSentences(text, FindingText(model.cardRoot, CardCheck(), finding));
    }
    return text;
}

std::string SampleFilesDetail(const CModel& model, int slot, IFileSystem& fs) {
    const std::string damage = DamagedSampleText(model, slot, fs);
    return damage.empty() ? damage : JoinSentences(damage, CheckAndRepairAdvice(model.cardRoot));
}

std::string CheckAndRepairAdvice(const std::string& root) {
    return Localized("To see what else on the card is damaged, run zq3 check {0}; zq3 repair {0} "
                     "mends it (in the desktop program: File / Check and Repair Card...).",
                     {root});
}

std::string SlotRepairText(const SlotRepair& repair) {
    const std::string pad = CardLayout::PadName(repair.slot);
    if (repair.action == SlotRepair::Action::Rebuilt) {
        return Localized("{0}: a new record from its channel files.", {pad});
    }
    return Localized("{0}: emptied; nothing on it can be saved.", {pad});
}

std::string RemovalText(const std::string& fileName) {
    return Localized("{0}: removed; no record uses it.", {fileName});
}

std::string RepairPlanText(const std::string& root, const CardCheck& check,
                           const CardRepairPlan& plan) {
    std::string text;
    for (const CardFinding& finding : check.findings) {
        text += FindingText(root, check, finding) + "\n";
    }
    for (const SlotRepair& slot : plan.slotRepairs) {
        text += SlotRepairText(slot) + "\n";
    }
    for (const std::string& name : plan.removals) {
        text += RemovalText(name) + "\n";
    }
    return text;
}

std::string RepairQuestion() {
    return Localized("Repair the card? Every pad that agrees with its files stays as it is; "
                     "the old information file is kept in the KELDRA folder.");
}

std::string RepairedText(const std::string& root, const CardRepairing& repairing) {
    if (repairing.plan.NothingToDo()) {
        return Localized("{0}: every record agrees with its files; nothing to repair.", {root});
    }
    return Localized("{0}: repaired; the old information file is kept as {1}.",
                     {root, repairing.keptInformationFile});
}

std::string RepairingProblemText(const std::string& root, const CardRepairing& repairing) {
    using Problem = CardRepairing::Problem;
    switch (repairing.problem) {
    case Problem::None:
    case Problem::Declined:
        return {};
    case Problem::NoCardFolder:
        return FindingText(root, repairing.check, {CardFinding::Kind::NoCardFolder, -1, {}});
    case Problem::Busy:
        return Localized("{0}: another converter is changing the card; nothing was changed.",
                         {root});
    case Problem::NotRecovered:
        return RecoveryObstacleDetail(CardLayout::CardDirectory(root), repairing.obstacle);
    case Problem::CannotWrite:
        if (repairing.obstacle.kind == CardObstacle::Kind::ReadOnlyCard) {
            // Refused before asking: what a repair would have mended is still worth knowing.
            return RepairPlanText(root, repairing.check, repairing.plan) +
                   CardObstacleDetail(repairing.obstacle);
        }
        if (repairing.obstacle) {
            return CardObstacleDetail(repairing.obstacle);
        }
        return Localized("The repair could not be written ({0}); nothing was changed.",
                         {std::strerror(repairing.error)});
    case Problem::Pending:
        return Localized("The repair is recorded on the card and is completed the next time the "
                         "card is opened. {0}",
                         {CardObstacleDetail(repairing.obstacle, CardAfterwards::Recorded)});
    case Problem::Undecided:
        return Localized("Whether the repair reached the card cannot be told: {0}",
                         {CardObstacleDetail(repairing.obstacle, CardAfterwards::Recorded)});
    }
    return {};
}

} // namespace ZQ3
