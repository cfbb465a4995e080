#include "sl/files/file_data_source.h"

#include <filesystem>
#include <fstream>

namespace SL {

CFileDataSource::CFileDataSource(std::string path, bool readWrite)
    : path_(std::move(path)), readWrite_(readWrite) {}

std::shared_ptr<std::istream> CFileDataSource::OpenInput() {
    // A directory opens as a stream on Linux and only fails at the first read; refuse it here
    // so that every caller sees one kind of failure.
    std::error_code error;
    if (std::filesystem::is_directory(path_, error)) {
        return {};
    }
    auto stream = std::make_shared<std::ifstream>(path_, std::ios::in | std::ios::binary);
    if (!stream->is_open()) {
        return {};
    }
    return stream;
}

std::shared_ptr<std::ostream> CFileDataSource::OpenOutput() {
    const std::ios::openmode mode = readWrite_ ? std::ios::in | std::ios::out | std::ios::binary
                                               : std::ios::out | std::ios::trunc | std::ios::binary;
    auto stream = std::make_shared<std::fstream>(path_, mode);
    if (!stream->is_open()) {
        return {};
    }
    return stream;
}

} // namespace SL
