#include "sl/files/streamable_data.h"

#include "sl/files/stream_extent.h"

namespace SL {

CStreamableData::CStreamableData(bool loadIntoMemory)
    : loadIntoMemory_(loadIntoMemory), data_(std::make_shared<CBytes>()) {}

bool CStreamableData::Read(std::istream& input) {
    const std::int32_t size = GetSize();
    const std::int64_t position = GetInputPosition(input);
    const std::int64_t end = GetInputEnd(input);
    if (size < 0 || position < 0 || end < 0 || size > end - position) {
        input.setstate(std::ios::failbit);
        return false;
    }
    streamedSize_ = size;
    if (loadIntoMemory_) {
        data_->resize(static_cast<std::size_t>(size));
        input.read(reinterpret_cast<char*>(data_->data()), size);
    } else {
        input.seekg(size, std::ios::cur);
    }
    return input.good();
}

bool CStreamableData::Write(std::ostream& output) {
    if (loadIntoMemory_) {
        output.write(reinterpret_cast<const char*>(data_->data()),
                     static_cast<std::streamsize>(data_->size()));
    } else if (streamedSize_ > 0) {
        output.seekp(streamedSize_, std::ios::cur);
    }
    return output.good();
}

} // namespace SL
