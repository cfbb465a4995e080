#pragma once

#include <optional>
#include <string>

namespace ZQ3 {

// Where an export writes, as the user named it: one file, whose name says its format, or a
// folder of files named after their pads ("D05.wav").
struct ExportTarget {
    bool intoFolder = false;
    // CardLayout::FileFormatWave or CardLayout::FileFormatAiff.
    int fileFormat = 0;
    // Why the export cannot write there, in the catalogue's language; empty when it can.
    std::string problem;

    bool isValid() const { return problem.empty(); }
};

// Decides the target of an export: severalPads (a bank, the whole card) always go into a folder,
// and one pad into a file unless target is a folder (existing, or written with a trailing "/").
// A file's format follows its extension (.wav, .aif, .aiff); formatAsked (the --format of the
// command line, or nothing) decides only where no extension does, so that a file is never named
// for one format and written in the other: that conflict is refused. A name with a sound file's
// extension, or an existing file, is refused for several pads, which need a folder.
ExportTarget DecideExportTarget(bool severalPads, const std::string& target,
                                std::optional<int> formatAsked);

} // namespace ZQ3
