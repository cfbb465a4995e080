#include "app/export_target.h"

#include "app/localized_text.h"
#include "card/card_layout.h"
#include "gt/ascii_case.h"

#include <cctype>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The format a file's name says, by its extension in any case.
std::optional<int> FormatOfName(const std::string& name) {
    const std::string lowered = GT::AsciiLowered(name);
    if (EndsWith(lowered, ".wav")) {
        return CardLayout::FileFormatWave;
    }
    if (EndsWith(lowered, ".aif") || EndsWith(lowered, ".aiff")) {
        return CardLayout::FileFormatAiff;
    }
    return std::nullopt;
}

const char* FormatName(int fileFormat) {
    return fileFormat == CardLayout::FileFormatAiff ? "AIFF" : "WAV";
}

ExportTarget Refused(std::string problem) {
    ExportTarget target;
    target.problem = std::move(problem);
    return target;
}

} // namespace

ExportTarget DecideExportTarget(bool severalPads, const std::string& target,
                                std::optional<int> formatAsked) {
    struct stat status {};
    const bool exists = ::stat(target.c_str(), &status) == 0;
    const bool folder = (exists && S_ISDIR(status.st_mode)) || EndsWith(target, "/");
    const std::optional<int> named = FormatOfName(target);
    ExportTarget decided;
    if (severalPads || folder) {
        if (!folder && (exists || named)) {
            return Refused(Localized("{0}: several pads are written into a folder, one file per "
                                     "pad (D05.wav...), not into one file; name a folder.",
                                     {target}));
        }
        decided.intoFolder = true;
        decided.fileFormat = formatAsked.value_or(CardLayout::FileFormatWave);
        return decided;
    }
    if (named && formatAsked && *named != *formatAsked) {
        return Refused(Localized("{0}: the name says {1} but --format asks for {2}; name the file "
                                 "after the format it is to have.",
                                 {target, FormatName(*named), FormatName(*formatAsked)}));
    }
    if (!named && !formatAsked) {
        return Refused(Localized("cannot tell the file format of '{0}': name it .wav, .aif or "
                                 ".aiff, or give --format wav|aiff.",
                                 {target}));
    }
    decided.fileFormat = named ? *named : *formatAsked;
    return decided;
}

} // namespace ZQ3
