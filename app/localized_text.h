#pragma once

#include <initializer_list>
#include <string>

namespace ZQ3 {

// Marks a text for the catalogue files (po/) where it is only named, in a table of texts that is
// translated later: xgettext collects it as it collects the first argument of Localized.
constexpr const char* N_(const char* text) {
    return text;
}

// A text of the converter's own that is not in the message catalogue (the tool's lines, the
// questions that name pads): english, the catalogue files' key, in the catalogue's current
// language (UTF-8), with each "{0}", "{1}"... replaced by the value of that number, shown as
// ShownName shows a name: a value with control characters appears escaped, never raw.
std::string Localized(const char* english, std::initializer_list<std::string> values = {});

// Two sentences as one text: a space between them after a Western full stop, none after a
// Japanese one ("。"); either alone when the other is empty.
std::string JoinSentences(const std::string& first, const std::string& second);

} // namespace ZQ3
