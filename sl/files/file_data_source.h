#pragma once

#include "sl/files/data_source.h"

namespace SL {

// A file opened in binary mode.
class CFileDataSource : public IDataSource {
public:
    // With readWrite set, OpenOutput opens the existing file for reading and writing instead of
    // creating or truncating it.
    CFileDataSource(std::string path, bool readWrite);

    std::string GetPath() const override { return path_; }
    std::shared_ptr<std::istream> OpenInput() override;
    std::shared_ptr<std::ostream> OpenOutput() override;

private:
    const std::string path_;
    const bool readWrite_;
};

} // namespace SL
