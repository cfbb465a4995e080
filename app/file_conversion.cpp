#include "app/file_conversion.h"

#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "card/path_names.h"

#include <cctype>
#include <optional>
#include <sys/stat.h>

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

} // namespace

FileConversionOutcome ConvertSoundFile(const std::string& input, const std::string& output,
                                       const SL::CConversionOptions& options) {
    FileConversionOutcome outcome;
    const std::string inName = PathNames::LastPart(input);
    const std::string outName = PathNames::LastPart(output);
    const std::optional<CContainer> container = ContainerByName(output);
    if (!container) {
        outcome.text = Localized("{0}: name the converted file .wav, .aif or .aiff.",
                                 "{0}: 変換後のファイル名は .wav、.aif 又は .aiff にしてください。",
                                 {outName});
        return outcome;
    }
    struct stat status {};
    if (::lstat(output.c_str(), &status) == 0) {
        outcome.text = Localized("{0}: the file exists already; it is not replaced.",
                                 "{0}: ファイルが既に存在します。置き換えません。", {outName});
        return outcome;
    }
    outcome.result = SL::CSoundFileConverter::Convert(input, output, *container, options);
    using CStatus = SL::CConversionResult::Status;
    switch (outcome.result.status) {
    case CStatus::Done:
        outcome.done = true;
        outcome.text = Localized("{0} → {1}: 16-bit, 44100 Hz, {2} frames.",
                                 "{0} → {1}: 16 ビット、44100 Hz、{2} フレーム。",
                                 {inName, outName, std::to_string(outcome.result.framesWritten)});
        if (outcome.result.clippedSamples > 0) {
            outcome.text +=
                " " + Localized("{0} samples were clipped.", "{0} 個のサンプルがクリップしました。",
                                {std::to_string(outcome.result.clippedSamples)});
        }
        break;
    case CStatus::CannotRead:
        outcome.text = OwnReaderBoundsDetail(input, inName);
        if (!outcome.text.empty()) {
            break;
        }
        outcome.text = Localized("{0}: this is not a sound file the converter reads.",
                                 "{0}: 変換できるサウンド・ファイルではありません。", {inName});
        break;
    case CStatus::CannotOpen:
    case CStatus::OutOfBounds:
        outcome.text = ConversionResultDetail(input, inName, outcome.result);
        break;
    case CStatus::Damaged:
        outcome.text = Localized(
            "{0}: the file is cut short or damaged; its sound ends before the length its header "
            "announces. Nothing was written.",
            "{0}: ファイルが途中で切れているか壊れています。ヘッダーが示す長さより前にサウンドが"
            "終わっています。何も書き込んでいません。",
            {inName});
        break;
    case CStatus::CannotWrite:
        outcome.text = Localized("{0}: the converted file could not be written.",
                                 "{0}: 変換後のファイルを書き込めませんでした。", {outName});
        break;
    case CStatus::Cancelled:
        break;
    }
    return outcome;
}

} // namespace ZQ3
