#include "app/refusal_details.h"

#include "app/card_obstacle_details.h"
#include "app/localized_text.h"
#include "card/card_layout.h"
#include "card/path_names.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

// The texts of the details in English; their Japanese is in the catalogue file (po/ja.po).
// "{0}", "{1}"... stand for the values each names; the file always comes first.
enum class Text {
    NoSuchFile,
    NotRegularFile,
    ReadPermission,
    CannotOpen,
    NotWaveOrAiff,
    Truncated,
    FormatTag,
    SampleFormat,
    Damaged,
    Shape,
    IntegerBits,
    FloatBits,
    Mono,
    Stereo,
    Channels,
    Seconds,
    Milliseconds,
    NoSuchFolder,
    NotAFolder,
    NoConverterFolder,
    InformationMissing,
    InformationNotRegular,
    InformationPermission,
    InformationCannotOpen,
    InformationReadFailed,
    InformationTooShort,
    InformationOneByteLong,
    InformationInvalidRecord,
    DestinationFolderMissing,
    DestinationFolderNotWritable,
    DestinationNotRegular,
    DestinationReadOnly,
    DestinationInsideCard,
    RecoveryFailed,
    JournalUnreadable,
    AddConvertOption,
    ConversionFailed,
    ConversionDamaged,
    ChangedWhileImporting,
    KindFolder,
    KindFifo,
    KindCharacterDevice,
    KindBlockDevice,
    KindSocket,
    KindOther,
    FieldRangeBegin,
    FieldRangeEnd,
    FieldFrameCount,
    FieldLofi,
    FieldStereo,
    FieldOption14,
    FieldFlag15,
    FieldFlag16,
    FieldOption17,
    FieldTempo,
    FieldOption20,
    FieldTempo2,
    RateOutOfBounds,
    ChannelsOutOfBounds,
    LengthOutOfBounds,
};

struct Translation {
    Text id;
    const char* english;
};

// clang-format off
constexpr Translation Translations[] = {
    {Text::NoSuchFile, N_("{0}: there is no such file.")},
    {Text::NotRegularFile, N_("{0}: this is a {1}, not a regular file.")},
    {Text::ReadPermission, N_("{0}: permission to read the file is denied.")},
    {Text::CannotOpen, N_("{0}: the file cannot be opened: {1} (system error {2}).")},
    {Text::NotWaveOrAiff, N_("{0}: this is not a WAV or AIFF file.")},
    {Text::Truncated, N_("{0}: the file is cut short; it ends before the sound data its header announces.")},
    {Text::FormatTag, N_("{0}: WAV format tag {1} is not supported; the converter reads PCM and IEEE float data only.")},
    {Text::SampleFormat, N_("{0}: {1} samples cannot be read.")},
    {Text::Damaged, N_("{0}: the file is damaged; it has no usable format or sound data.")},
    {Text::Shape, N_("{0}: {1}, {2} Hz, {3}, {4}. The card takes 16-bit, 44100 Hz, mono or stereo, at least 70 ms.")},
    {Text::IntegerBits, N_("{0}-bit")},
    {Text::FloatBits, N_("{0}-bit float")},
    {Text::Mono, N_("mono")},
    {Text::Stereo, N_("stereo")},
    {Text::Channels, N_("{0} channels")},
    {Text::Seconds, N_("{0} s")},
    {Text::Milliseconds, N_("{0} ms")},
    {Text::NoSuchFolder, N_("{0}: there is no such folder.")},
    {Text::NotAFolder, N_("{0}: this is not a folder.")},
    {Text::NoConverterFolder, N_("{0}: there is no KELDRA/ZQ314/ folder in it.")},
    {Text::InformationMissing, N_("{0}: the card's information file is missing.")},
    {Text::InformationNotRegular, N_("{0}: the card's information file is a {1}, not a regular file.")},
    {Text::InformationPermission, N_("{0}: permission to read the card's information file is denied.")},
    {Text::InformationCannotOpen, N_("{0}: the card's information file cannot be opened (system error {1}).")},
    {Text::InformationReadFailed, N_("{0}: the card's information file could not be read.")},
    {Text::InformationTooShort, N_("{0}: the information file is {1} bytes long; a card's is {2} bytes.")},
    {Text::InformationOneByteLong, N_("{0}: the information file is {1} byte long; a card's is {2} bytes.")},
    {Text::InformationInvalidRecord, N_("{0}: the record of pad {1} is invalid: its {2} (offset {3} in the record) has every bit set.")},
    {Text::DestinationFolderMissing, N_("{0}: the folder {1} does not exist.")},
    {Text::DestinationFolderNotWritable, N_("{0}: the folder {1} does not allow new files to be written.")},
    {Text::DestinationNotRegular, N_("{0}: this is a {1}; an export only replaces regular files.")},
    {Text::DestinationReadOnly, N_("{0}: the existing file is read-only.")},
    {Text::DestinationInsideCard, N_("{0}: the destination lies in the card's own folder {1}; a file written there could damage the card.")},
    {Text::RecoveryFailed, N_("{0}: a change to the card was interrupted, and completing it failed (system error {1}); nothing else was changed. Try again once the card can be written.")},
    {Text::JournalUnreadable, N_("{0}: whether an earlier change to the card was interrupted cannot be told; its journal could not be read (system error {1}). Nothing was changed.")},
    {Text::AddConvertOption, N_("(add --convert to convert it)")},
    {Text::ConversionFailed, N_("{0}: the file could not be converted to 16-bit 44100 Hz.")},
    {Text::ConversionDamaged, N_("{0}: the file is cut short or damaged; its sound ends before the length its header announces.")},
    {Text::ChangedWhileImporting, N_("{0}: the file changed while it was being imported; the card was left as it was.")},
    {Text::KindFolder, N_("folder")},
    {Text::KindFifo, N_("FIFO (named pipe)")},
    {Text::KindCharacterDevice, N_("character device")},
    {Text::KindBlockDevice, N_("block device")},
    {Text::KindSocket, N_("socket")},
    {Text::KindOther, N_("special file")},
    {Text::FieldRangeBegin, N_("range start")},
    {Text::FieldRangeEnd, N_("range end")},
    {Text::FieldFrameCount, N_("frame count")},
    {Text::FieldLofi, N_("lo-fi setting")},
    {Text::FieldStereo, N_("stereo setting")},
    {Text::FieldOption14, N_("option 14")},
    {Text::FieldFlag15, N_("flag 15")},
    {Text::FieldFlag16, N_("flag 16")},
    {Text::FieldOption17, N_("option 17")},
    {Text::FieldTempo, N_("tempo")},
    {Text::FieldOption20, N_("option 20")},
    {Text::FieldTempo2, N_("second tempo")},
    {Text::RateOutOfBounds, N_("{0}: its header gives a sample rate of {1} Hz; the converter takes {2} to {3} Hz.")},
    {Text::ChannelsOutOfBounds, N_("{0}: its header gives {1} channels; the converter takes 1 to {2}.")},
    {Text::LengthOutOfBounds, N_("{0}: its header gives a length of {1} hours; the converter takes at most {2} hours.")},
};
// clang-format on

// The text of id in the catalogue's language, with each "{n}" replaced by values[n].
std::string Say(Text id, std::initializer_list<std::string> values) {
    for (const Translation& translation : Translations) {
        if (translation.id == id) {
            return Localized(translation.english, values);
        }
    }
    return {};
}

std::string Printed(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string KindName(SL::CFileKind kind) {
    switch (kind) {
    case SL::CFileKind::Directory:
        return Say(Text::KindFolder, {});
    case SL::CFileKind::Fifo:
        return Say(Text::KindFifo, {});
    case SL::CFileKind::CharacterDevice:
        return Say(Text::KindCharacterDevice, {});
    case SL::CFileKind::BlockDevice:
        return Say(Text::KindBlockDevice, {});
    case SL::CFileKind::Socket:
        return Say(Text::KindSocket, {});
    case SL::CFileKind::Regular:
    case SL::CFileKind::Other:
        break;
    }
    return Say(Text::KindOther, {});
}

std::string BitsName(int bits, bool floatingPoint) {
    return Say(floatingPoint ? Text::FloatBits : Text::IntegerBits, {std::to_string(bits)});
}

std::string ChannelsName(int channels) {
    if (channels == 1) {
        return Say(Text::Mono, {});
    }
    if (channels == 2) {
        return Say(Text::Stereo, {});
    }
    return Say(Text::Channels, {std::to_string(channels)});
}

// Seconds from one second up, below that milliseconds cut (not rounded) to a tenth, so that a
// file just short of 70 ms never reads as 70 ms.
std::string LengthName(std::int64_t frames, double rate) {
    const double seconds = static_cast<double>(frames) / rate;
    if (seconds >= 1) {
        return Say(Text::Seconds, {Printed("%.2f", seconds)});
    }
    const double tenths = std::floor(seconds * 10000 + 1e-6);
    return Say(Text::Milliseconds,
               {Printed(std::fmod(tenths, 10) == 0 ? "%.0f" : "%.1f", tenths / 10)});
}

} // namespace

std::string FieldName(SampleInformationField field) {
    constexpr Text Names[] = {Text::FieldRangeBegin, Text::FieldRangeEnd, Text::FieldFrameCount,
                              Text::FieldLofi,       Text::FieldStereo,   Text::FieldOption14,
                              Text::FieldFlag15,     Text::FieldFlag16,   Text::FieldOption17,
                              Text::FieldTempo,      Text::FieldOption20, Text::FieldTempo2};
    return Say(Names[static_cast<int>(field)], {});
}

CardFolderProblem ExamineCardFolder(const std::string& root, IFileSystem& fs) {
    if (root.empty()) {
        return CardFolderProblem::None;
    }
    struct stat status {};
    if (fs.Stat(root, status) != 0) {
        return errno == ENOENT    ? CardFolderProblem::NoSuchFolder
               : errno == ENOTDIR ? CardFolderProblem::NotAFolder
                                  : CardFolderProblem::None;
    }
    if (!S_ISDIR(status.st_mode)) {
        return CardFolderProblem::NotAFolder;
    }
    const std::string converterFolder =
        PathNames::WithoutTrailingSeparators(CardLayout::CardDirectory(root));
    for (const std::string& folder :
         {PathNames::ParentDirectory(converterFolder), converterFolder}) {
        if (fs.Lstat(folder, status) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? CardFolderProblem::NoConverterFolder
                                                       : CardFolderProblem::None;
        }
        if (S_ISLNK(status.st_mode)) {
            return CardFolderProblem::LinkedConverterFolder;
        }
        if (!S_ISDIR(status.st_mode)) {
            return CardFolderProblem::NoConverterFolder;
        }
    }
    return CardFolderProblem::None;
}

std::string WaveLoadDetail(const std::string& fileName, const SL::CLoadedWave& loaded) {
    using CReason = SL::CWaveLoadProblem::CReason;
    const SL::CWaveLoadProblem& problem = loaded.problem;
    switch (problem.reason) {
    case CReason::None:
        break;
    case CReason::NoSuchFile:
        return Say(Text::NoSuchFile, {fileName});
    case CReason::NotRegularFile:
        return Say(Text::NotRegularFile, {fileName, KindName(problem.fileKind)});
    case CReason::PermissionDenied:
        return Say(Text::ReadPermission, {fileName});
    case CReason::CannotOpen:
        return Say(Text::CannotOpen, {fileName, std::strerror(problem.errorNumber),
                                      std::to_string(problem.errorNumber)});
    case CReason::NotWaveOrAiff:
        return Say(Text::NotWaveOrAiff, {fileName});
    case CReason::Truncated:
        return Say(Text::Truncated, {fileName});
    case CReason::UnsupportedFormatTag: {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%04X", problem.formatTag);
        return Say(Text::FormatTag, {fileName, tag});
    }
    case CReason::UnsupportedSampleFormat:
        return Say(Text::SampleFormat,
                   {fileName, BitsName(problem.bitsPerSample, problem.floatingPoint)});
    case CReason::Damaged:
        return Say(Text::Damaged, {fileName});
    case CReason::OutOfBounds:
        return SoundBoundsDetail(fileName, problem.bounds);
    }
    return {};
}

std::string WaveShapeDetail(const std::string& fileName, const WaveShape& shape) {
    const bool floatingPoint = shape.bitDepth.GetKind() == SL::CBitDepth::FloatKind;
    return Say(Text::Shape, {fileName, BitsName(shape.bitDepth.GetBits(), floatingPoint),
                             Printed("%.10g", shape.sampleRate), ChannelsName(shape.channelCount),
                             LengthName(shape.frameCount, shape.sampleRate)});
}

std::string CardFolderDetail(const std::string& root, CardFolderProblem problem) {
    switch (problem) {
    case CardFolderProblem::None:
        break;
    case CardFolderProblem::NoSuchFolder:
        return Say(Text::NoSuchFolder, {root});
    case CardFolderProblem::NotAFolder:
        return Say(Text::NotAFolder, {root});
    case CardFolderProblem::NoConverterFolder:
        return Say(Text::NoConverterFolder, {root});
    case CardFolderProblem::LinkedConverterFolder:
        return LinkedConverterFolderDetail(root);
    }
    return {};
}

std::string InformationFileDetail(const std::string& path,
                                  const SampleInformationReading& reading) {
    using Problem = SampleInformationReading::Problem;
    using CReason = SL::COpenFailure::CReason;
    switch (reading.problem) {
    case Problem::None:
        break;
    case Problem::CannotOpen:
        switch (reading.openFailure.reason) {
        case CReason::NoSuchFile:
            return Say(Text::InformationMissing, {path});
        case CReason::NotRegularFile:
            return Say(Text::InformationNotRegular, {path, KindName(reading.openFailure.kind)});
        case CReason::PermissionDenied:
            return Say(Text::InformationPermission, {path});
        case CReason::None:
        case CReason::Other:
            break;
        }
        return Say(Text::InformationCannotOpen,
                   {path, std::to_string(reading.openFailure.errorNumber)});
    case Problem::SymbolicLink:
        return CardObstacleDetail({CardObstacle::Kind::SymbolicLink, path, 0});
    case Problem::ReadFailed:
        return Say(Text::InformationReadFailed, {path});
    case Problem::TooShort:
        return Say(
            reading.size == 1 ? Text::InformationOneByteLong : Text::InformationTooShort,
            {path, std::to_string(reading.size), std::to_string(CSampleInformationDto::FileSize)});
    case Problem::InvalidRecord:
        return Say(Text::InformationInvalidRecord,
                   {path, CardLayout::PadName(reading.slot), FieldName(reading.field),
                    std::to_string(SampleInformationFieldOffset(reading.field))});
    }
    return {};
}

std::string DestinationDetail(const std::string& path,
                              const FileTransfer::DestinationCheck& check) {
    using Problem = FileTransfer::DestinationCheck::Problem;
    const std::string name = PathNames::LastPart(path);
    switch (check.problem) {
    case Problem::None:
    case Problem::NotAFileName:
    case Problem::CannotExamine:
        break;
    case Problem::FolderMissing:
        return Say(Text::DestinationFolderMissing, {name, PathNames::ParentDirectory(path)});
    case Problem::FolderNotWritable:
        return Say(Text::DestinationFolderNotWritable, {name, PathNames::ParentDirectory(path)});
    case Problem::NotRegularFile:
        return Say(Text::DestinationNotRegular, {name, KindName(check.kind)});
    case Problem::ReadOnlyFile:
        return Say(Text::DestinationReadOnly, {name});
    }
    return {};
}

std::string InsideCardDetail(const std::string& path, const std::string& cardDirectory) {
    return Say(Text::DestinationInsideCard, {PathNames::LastPart(path), cardDirectory});
}

std::string RecoveryFailedDetail(const std::string& cardDirectory, int errorNumber) {
    return Say(Text::RecoveryFailed, {cardDirectory, std::to_string(errorNumber)});
}

std::string JournalUnreadableDetail(const std::string& cardDirectory, int errorNumber) {
    return Say(Text::JournalUnreadable, {cardDirectory, std::to_string(errorNumber)});
}

std::string WithConvertHint(const std::string& refusal) {
    return refusal + " " + Say(Text::AddConvertOption, {});
}

std::string ConversionFailedDetail(const std::string& fileName, bool damaged) {
    return Say(damaged ? Text::ConversionDamaged : Text::ConversionFailed, {fileName});
}

std::string SoundBoundsDetail(const std::string& fileName, const SL::CSoundBoundsCheck& bounds) {
    using Bounds = SL::CSoundBounds;
    switch (bounds.exceeded) {
    case SL::CSoundBound::None:
        break;
    case SL::CSoundBound::SampleRate:
        return Say(Text::RateOutOfBounds, {fileName, Printed("%.10g", bounds.sampleRate),
                                           Printed("%.0f", Bounds::kMinSampleRate),
                                           Printed("%.0f", Bounds::kMaxSampleRate)});
    case SL::CSoundBound::ChannelCount:
        return Say(Text::ChannelsOutOfBounds, {fileName, std::to_string(bounds.channelCount),
                                               std::to_string(Bounds::kMaxChannels)});
    case SL::CSoundBound::Length:
        return Say(Text::LengthOutOfBounds, {fileName, Printed("%.1f", bounds.seconds / 3600.0),
                                             Printed("%.0f", Bounds::kMaxSeconds / 3600.0)});
    }
    return {};
}

std::string OwnReaderBoundsDetail(const std::string& path, const std::string& fileName) {
    const SL::CLoadedWave loaded = SL::LoadWaveFile(path);
    return !loaded && loaded.problem.reason == SL::CWaveLoadProblem::CReason::OutOfBounds
               ? SoundBoundsDetail(fileName, loaded.problem.bounds)
               : std::string();
}

std::string ConversionResultDetail(const std::string& path, const std::string& fileName,
                                   const SL::CConversionResult& result) {
    using CStatus = SL::CConversionResult::Status;
    switch (result.status) {
    case CStatus::CannotOpen:
        // The loader's open is the converter's: it says what the name leads to.
        if (const SL::CLoadedWave loaded = SL::LoadWaveFile(path); !loaded) {
            if (std::string detail = WaveLoadDetail(fileName, loaded); !detail.empty()) {
                return detail;
            }
        }
        break;
    case CStatus::CannotRead:
        if (std::string detail = OwnReaderBoundsDetail(path, fileName); !detail.empty()) {
            return detail;
        }
        break;
    case CStatus::OutOfBounds:
        return SoundBoundsDetail(fileName, result.bounds);
    case CStatus::Damaged:
        return ConversionFailedDetail(fileName, true);
    case CStatus::Done:
    case CStatus::CannotWrite:
    case CStatus::Cancelled:
        break;
    }
    return ConversionFailedDetail(fileName, false);
}

std::string RefusedWaveDetail(const std::string& path) {
    const std::string name = PathNames::LastPart(path);
    const SL::CLoadedWave loaded = SL::LoadWaveFile(path);
    if (!loaded) {
        return WaveLoadDetail(name, loaded);
    }
    return WaveShapeDetail(name, CImportCommand::CheckShape(*loaded.wave));
}

std::string RereadFailedDetail(const std::string& path, const std::string& fileName) {
    const SL::CLoadedWave loaded = SL::LoadWaveFile(path);
    return loaded ? Say(Text::ChangedWhileImporting, {fileName}) : WaveLoadDetail(fileName, loaded);
}

} // namespace ZQ3
