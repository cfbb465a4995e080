#include "card/card_check.h"

#include "card/card_layout.h"
#include "card/card_obstacle.h"
#include "card/temporary_names.h"

#include <algorithm>
#include <sstream>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

using Kind = CardFinding::Kind;
using Problem = SampleInformationReading::Problem;

CardFinding Finding(Kind kind, int slot = -1, std::string fileName = {}) {
    CardFinding finding{kind, slot, std::move(fileName)};
    return finding;
}

std::vector<SampleInformationRecord> ReadRecords(const std::string& path) {
    const std::shared_ptr<std::istream> input = OpenCardFileForReading(path);
    if (!input) {
        return {};
    }
    std::string bytes(CSampleInformationDto::FileSize, '\0');
    input->read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(input->gcount()));
    std::istringstream records(bytes);
    return CSampleInformationDto().ReadEachRecord(records);
}

class CCardChecker {
public:
    CCardChecker(const std::string& root, IFileSystem& fs) : root_(root), fs_(fs) {}

    CardCheck Run() {
        const std::string folder = CardLayout::CardDirectory(root_);
        if (!IsRealFolder(root_ + "/KELDRA") ||
            !IsRealFolder(folder.substr(0, folder.size() - 1)) ||
            !fs_.ListDirectory(folder, names_)) {
            check_.reading.problem = Problem::CannotOpen;
            check_.findings.push_back(Finding(Kind::NoCardFolder));
            return std::move(check_);
        }
        std::sort(names_.begin(), names_.end());
        check_.files.resize(CardLayout::SlotCount);
        for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
            SlotFiles& files = check_.files[static_cast<std::size_t>(slot)];
            files.left = Look(CardLayout::LeftFileName(slot));
            files.right = Look(CardLayout::RightFileName(slot));
        }
        CheckInformationFile();
        for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
            CheckSlot(slot);
        }
        for (const std::string& name : names_) {
            if (name.rfind(TemporaryNames::Prefix, 0) == 0) {
                check_.findings.push_back(Finding(Kind::Leftover, -1, name));
            }
        }
        return std::move(check_);
    }

    std::vector<CardFinding> CheckSampleFiles(int slot, const SampleInformationRecord& record) {
        std::vector<std::string> needed{CardLayout::LeftFileName(slot)};
        if (record.stereo != 0) {
            needed.push_back(CardLayout::RightFileName(slot));
        }
        // Looked at by name alone: the folder is not listed for the files of one pad.
        names_ = needed;
        std::sort(names_.begin(), names_.end());
        for (const std::string& name : needed) {
            CheckChannelFile(slot, name, Look(name), record);
        }
        std::erase_if(check_.findings, [](const CardFinding& finding) {
            return finding.kind == Kind::LongChannelFile;
        });
        return std::move(check_.findings);
    }

private:
    void CheckInformationFile() {
        const std::string path = CardLayout::InformationFilePath(root_);
        check_.reading = ReadSampleInformationFileWithReason(path);
        const Problem problem = check_.reading.problem;
        if (problem == Problem::CannotOpen || problem == Problem::SymbolicLink ||
            problem == Problem::ReadFailed) {
            check_.findings.push_back(
                {Kind::InformationFileUnreadable, -1, CardLayout::InformationFileName});
            return;
        }
        check_.records = ReadRecords(path);
    }

    // A folder itself, not a link to one.
    bool IsRealFolder(const std::string& path) const {
        struct stat status {};
        return fs_.Lstat(path, status) == 0 && S_ISDIR(status.st_mode);
    }

    ChannelFileState Look(const std::string& name) const {
        ChannelFileState state;
        struct stat status {};
        if (!std::binary_search(names_.begin(), names_.end(), name) ||
            fs_.Lstat(CardLayout::CardDirectory(root_) + name, status) != 0) {
            return state;
        }
        state.present = true;
        state.regular = S_ISREG(status.st_mode);
        state.bytes = state.regular ? static_cast<std::uint64_t>(status.st_size) : 0;
        return state;
    }

    void CheckSlot(int slot) {
        const SlotFiles& files = check_.files[static_cast<std::size_t>(slot)];
        const std::string left = CardLayout::LeftFileName(slot);
        const std::string right = CardLayout::RightFileName(slot);
        if (static_cast<std::size_t>(slot) >= check_.records.size()) {
            if (check_.reading.problem == Problem::TooShort) {
                check_.findings.push_back(Finding(Kind::NoRecord, slot));
            }
            return;
        }
        const SampleInformationRecord& record = check_.records[static_cast<std::size_t>(slot)];
        if (const auto field = record.FirstInvalidField()) {
            CardFinding finding = Finding(Kind::InvalidRecord, slot);
            finding.field = *field;
            check_.findings.push_back(finding);
            return;
        }
        if (record.frameCount == 0) {
            if (files.left.present) {
                check_.findings.push_back(Finding(Kind::OrphanChannelFile, slot, left));
            }
            if (files.right.present) {
                check_.findings.push_back(Finding(Kind::OrphanChannelFile, slot, right));
            }
            return;
        }
        CheckChannelFile(slot, left, files.left, record);
        if (record.stereo != 0 && files.right.present) {
            CheckChannelFile(slot, right, files.right, record);
        } else if ((record.stereo != 0) != files.right.present) {
            check_.findings.push_back(Finding(Kind::StereoFlagDisagrees, slot, right));
        }
    }

    void CheckChannelFile(int slot, const std::string& name, const ChannelFileState& file,
                          const SampleInformationRecord& record) {
        if (!file.present) {
            check_.findings.push_back(Finding(Kind::MissingChannelFile, slot, name));
            return;
        }
        if (!file.regular) {
            check_.findings.push_back(Finding(Kind::ChannelFileNotRegular, slot, name));
            return;
        }
        const std::uint64_t expected = ChannelFileBytes(record);
        if (file.bytes != expected) {
            const Kind kind =
                file.bytes < expected ? Kind::ShortChannelFile : Kind::LongChannelFile;
            CardFinding finding = Finding(kind, slot, name);
            finding.bytes = file.bytes;
            finding.expectedBytes = expected;
            check_.findings.push_back(finding);
        }
    }

    const std::string& root_;
    IFileSystem& fs_;
    std::vector<std::string> names_;
    CardCheck check_;
};

} // namespace

std::uint64_t ChannelFileBytes(const SampleInformationRecord& record) {
    const bool lofi = record.lofi == 1;
    const std::uint64_t samples = std::uint64_t{record.frameCount} * (lofi ? 2 : 1);
    const std::uint64_t frameBytes = lofi ? 8 : 16;
    return (samples + 15) / 16 * frameBytes;
}

CardCheck CheckCard(const std::string& root, IFileSystem& fs) {
    return CCardChecker(root, fs).Run();
}

std::vector<CardFinding> CheckSampleChannelFiles(const std::string& root, int slot,
                                                 const SampleInformationRecord& record,
                                                 IFileSystem& fs) {
    return CCardChecker(root, fs).CheckSampleFiles(slot, record);
}

} // namespace ZQ3
