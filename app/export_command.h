#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "app/temporary_files.h"
#include "card/file_system.h"
#include "ul/progress.h"

#include <string>

namespace ZQ3 {

// Writes the sample of the selected pad to a WAV or AIFF file. The file is written under a
// temporary name in the destination's directory and then takes the destination's name in one
// step, so an existing file there stays whole until the new one is complete. Failures are
// reported to the user here; the model and the card are never changed.
class CExportCommand {
public:
    CExportCommand(const CModel& installed, UL::IProgress& progress,
                   IFileSystem& fs = PosixFileSystem())
        : installed_(installed), progress_(progress), fs_(fs) {}

    // fileFormat is an SL::CWaveFileFormat value; path is absolute.
    CommandOutcome run(int fileFormat, const std::string& path);

    // A free name to write the file under before it is complete: beside the destination, so
    // that the final rename stays within one file system, and unique to this run.
    static std::string TemporaryPathFor(const std::string& destination);

private:
    StepResult decode(int fileFormat, const std::string& temporary);
    CommandOutcome fail(int message, const std::string& detail = std::string());

    const CModel& installed_;
    UL::IProgress& progress_;
    IFileSystem& fs_;
    CTemporaryFiles temporaries_;
    // Set by decode when the file's data did not reach the disk, rather than the card's files
    // failing to decode.
    bool writeFailed_ = false;
};

} // namespace ZQ3
