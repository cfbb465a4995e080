#pragma once

#include "sl/files/data_source.h"
#include "sl/files/descriptor_stream.h"

#include <string>

namespace SL {

// How a CFileDataSource opens its file. Whatever the access, a name that is not a regular file
// (a FIFO, a socket, a device, a directory) fails to open at once, as a missing file does: a
// FIFO would otherwise block the open until some writer came, and a device is no sample file.
enum class CFileAccess {
    // An existing file, read only.
    ReadExisting,
    // A new file, written only. The name must be free: an existing file or a symbolic link (even
    // one that leads nowhere) makes the create fail, so nothing is ever overwritten or written
    // through a link planted at the name. The umask applies to the permissions.
    CreateNew,
    // An existing regular file, read and written in place; a symbolic link at the name is
    // refused.
    UpdateExisting,
};

// Opens an existing file for reading (flags add to O_RDONLY) as CFileAccess::ReadExisting does:
// without waiting on a FIFO or device, and only when it is a regular file, whose descriptor is
// then switched back to blocking. The one gate for every input file a command reads; -1 with
// errno set otherwise (ExplainOpenFailure tells why).
int OpenRegularFileForReading(const std::string& path, int flags = 0);

// A file opened in binary mode, as the access says.
class CFileDataSource : public IDataSource {
public:
    CFileDataSource(std::string path, CFileAccess access);

    std::string GetPath() const override { return path_; }
    // The file for reading; empty when the access is CreateNew or the file does not open.
    std::shared_ptr<std::istream> OpenInput() override;
    // The file for writing; empty when the access is ReadExisting or the file does not open.
    std::shared_ptr<std::ostream> OpenOutput() override;
    // The file opened as the access says, for a caller that must close it and learn whether
    // the last bytes reached it; empty when it does not open.
    std::shared_ptr<CDescriptorStream> Open();

private:
    const std::string path_;
    const CFileAccess access_;
};

} // namespace SL
