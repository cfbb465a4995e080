#pragma once

#include <string>

namespace ZQ3::Desktop {

// What the About box and the settings store say about the program.
constexpr const char* FileDescription = "ZQ-314 Wave Converter";
constexpr const char* LegalCopyright = "Copyright (C) 2026 Keldra";

// "0.1.0": the program's version.
std::string FileVersionText();
// The product version's four numbers without separators: "0100" for 0.1.0.0.
std::string ProductVersionDigits();

} // namespace ZQ3::Desktop
