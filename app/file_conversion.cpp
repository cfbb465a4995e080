#include "app/file_conversion.h"

#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "app/temporary_files.h"
#include "card/file_transfer.h"
#include "card/path_names.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

using CContainer = SL::CSoundFileConverter::Container;

std::optional<CContainer> ContainerByName(const std::string& path) {
    std::string name = PathNames::LastPart(path);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const auto endsWith = [&name](const std::string& end) {
        return name.size() > end.size() &&
               name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    if (endsWith(".wav")) {
        return CContainer::Wave;
    }
    if (endsWith(".aif") || endsWith(".aiff")) {
        return CContainer::Aiff;
    }
    return std::nullopt;
}

// The converted data reaches the device before the file takes the output's name, so that a
// crash right after cannot leave an empty file under it.
bool FlushToDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    return ::close(fd) == 0 && flushed;
}

bool CannotRefuseAnExistingName() {
    return errno == EPERM || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
}

// Gives the complete work file the output's name. A file that appeared there meanwhile is kept
// unless replacing was asked for; errno tells EEXIST from any other failure.
bool MoveIntoPlace(const std::string& temporary, const std::string& output,
                   ExistingOutput existing) {
    if (existing == ExistingOutput::Replace) {
        return FileTransfer::Replace(temporary, output);
    }
    if (!FlushToDevice(temporary)) {
        return false;
    }
    if (FileTransfer::Rename(temporary, output)) {
        return FileTransfer::SyncContainingDirectory(output);
    }
    if (!CannotRefuseAnExistingName()) {
        return false;
    }
    // A file system without links or an atomic no-replace rename (a FAT card) is checked just
    // before the rename instead.
    struct stat status {};
    if (::lstat(output.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return FileTransfer::Replace(temporary, output);
}

std::string ExistsText(const std::string& outName) {
    return Localized("{0}: the file exists already; it is not replaced.", {outName});
}

} // namespace

FileConversionOutcome ConvertSoundFile(const std::string& input, const std::string& output,
                                       const SL::CConversionOptions& options,
                                       ExistingOutput existing,
                                       const SL::CSoundFileConverter::Progress& progress) {
    FileConversionOutcome outcome;
    const std::string inName = PathNames::LastPart(input);
    const std::string outName = PathNames::LastPart(output);
    const std::optional<CContainer> container = ContainerByName(output);
    if (!container) {
        outcome.text = Localized("{0}: name the converted file .wav, .aif or .aiff.", {outName});
        return outcome;
    }
    struct stat status {};
    if (existing == ExistingOutput::Keep && ::lstat(output.c_str(), &status) == 0) {
        outcome.outputExists = true;
        outcome.text = ExistsText(outName);
        return outcome;
    }
    const FileTransfer::DestinationCheck destination = FileTransfer::ExamineDestination(output);
    if (destination.problem != FileTransfer::DestinationCheck::Problem::None) {
        outcome.text = DestinationDetail(output, destination);
        if (outcome.text.empty()) {
            outcome.text = Localized("{0}: the converted file could not be written.", {outName});
        }
        return outcome;
    }

    CTemporaryFiles temporaries;
    const std::string temporary = TemporaryPathBeside(output);
    temporaries.add(temporary);
    outcome.result =
        SL::CSoundFileConverter::Convert(input, temporary, *container, options, progress);
    if (outcome.result.done() && !MoveIntoPlace(temporary, output, existing)) {
        outcome.result.status = SL::CConversionResult::Status::CannotWrite;
        if (errno == EEXIST) {
            outcome.outputExists = true;
            outcome.text = ExistsText(outName);
            return outcome;
        }
    }
    using CStatus = SL::CConversionResult::Status;
    switch (outcome.result.status) {
    case CStatus::Done: {
        outcome.done = true;
        const std::string frames = std::to_string(outcome.result.framesWritten);
        outcome.text =
            outcome.result.framesWritten == 1
                ? Localized("{0} → {1}: 16-bit, 44100 Hz, {2} frame.", {inName, outName, frames})
                : Localized("{0} → {1}: 16-bit, 44100 Hz, {2} frames.", {inName, outName, frames});
        const std::string clipped = std::to_string(outcome.result.clippedSamples);
        if (outcome.result.clippedSamples == 1) {
            outcome.text += " " + Localized("{0} sample was clipped.", {clipped});
        } else if (outcome.result.clippedSamples > 1) {
            outcome.text += " " + Localized("{0} samples were clipped.", {clipped});
        }
        break;
    }
    case CStatus::CannotRead:
        outcome.text = OwnReaderBoundsDetail(input, inName);
        if (!outcome.text.empty()) {
            break;
        }
        outcome.text = Localized("{0}: this is not a sound file the converter reads.", {inName});
        break;
    case CStatus::CannotOpen:
    case CStatus::OutOfBounds:
        outcome.text = ConversionResultDetail(input, inName, outcome.result);
        break;
    case CStatus::Damaged:
        outcome.text = Localized(
            "{0}: the file is cut short or damaged; its sound ends before the length its header "
            "announces. Nothing was written.",
            {inName});
        break;
    case CStatus::CannotWrite:
        outcome.text = Localized("{0}: the converted file could not be written.", {outName});
        if (outcome.result.writeError != 0) {
            // A full disk, most often: the system's words say which.
            outcome.text += " (" + std::string(std::strerror(outcome.result.writeError)) + ")";
        }
        break;
    case CStatus::Cancelled:
        break;
    }
    return outcome;
}

} // namespace ZQ3
