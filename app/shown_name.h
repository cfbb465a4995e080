#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ZQ3 {

// A file name (or any text from outside: a path, a card's folder, an argument) as the
// converter's texts show it. A name is untrusted: on a terminal its control characters would act
// (ESC ] 0 ; ... BEL retitles the window, a newline breaks a line that scripts read as one
// record). A name of printable UTF-8 text, Japanese included, is shown as it is. Any other is
// shown whole as a shell's $'...' string, as ls shows such names: control characters (C0, DEL
// and C1) as \n, \e, \a... or \xHH and \uHHHH, bytes that are no UTF-8 as \xHH, and \ and '
// escaped. So two different names never look the same, nothing in them acts on the terminal, and
// the text shown can be pasted into a shell to name the file. The result holds no control
// character, so showing it again changes nothing.
std::string ShownName(const std::string& name);

// The length of the well-formed UTF-8 sequence that starts at text[at], with the code point it
// encodes; 0 for a byte that starts none (a stray continuation byte, an overlong form, a
// surrogate, a code point beyond U+10FFFF, a sequence cut off by the end).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at, std::uint32_t& codePoint);

} // namespace ZQ3
