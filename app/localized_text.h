#pragma once

#include <initializer_list>
#include <string>

namespace ZQ3 {

// A text of the converter's own that is not in the message catalogue (the tool's lines, the
// questions that name pads), in the catalogue's current language: english or japanese (UTF-8),
// with each "{0}", "{1}"... replaced by the value of that number, shown as ShownName shows a
// name: a value with control characters appears escaped, never raw.
std::string Localized(const char* english, const char* japanese,
                      std::initializer_list<std::string> values = {});

// Whether the catalogue speaks Japanese, for texts that differ in more than their words.
bool SpeaksJapanese();

} // namespace ZQ3
