#include "sl/files/iff_chunk.h"

#include "sl/files/stream_extent.h"

#include <algorithm>
#include <cstring>

namespace SL {

// --- CFourCharacterCode ---

bool CIffChunk::CFourCharacterCode::Read(std::istream& input) {
    char buffer[8] = {};
    input.read(buffer, 4);
    text_.assign(buffer, ::strnlen(buffer, 4));
    return input.good();
}

bool CIffChunk::CFourCharacterCode::Write(std::ostream& output) {
    char buffer[4] = {};
    std::memcpy(buffer, text_.data(), std::min<std::size_t>(text_.size(), 4));
    output.write(buffer, 4);
    return output.good();
}

// --- CHeader ---

CIffChunk::CHeader::CHeader(int endianness) : GT::CEndianed(endianness) {}

CIffChunk::CHeader::CHeader(int endianness, CFourCharacterCode identifier)
    : GT::CEndianed(endianness), identifier_(std::move(identifier)) {}

bool CIffChunk::CHeader::Read(std::istream& input) {
    const GT::CEndianedStreamUtilities utilities(GetEndianness());
    if (!identifier_.Read(input) || !utilities.Read(input, size_)) {
        return false;
    }
    const std::int64_t position = GetInputPosition(input);
    if (position < 0) {
        input.setstate(std::ios::failbit);
        return false;
    }
    offset_ = static_cast<std::int32_t>(position);
    return input.good();
}

bool CIffChunk::CHeader::Write(std::ostream& output) {
    const GT::CEndianedStreamUtilities utilities(GetEndianness());
    if (!identifier_.Write(output) || !utilities.Write(output, size_)) {
        return false;
    }
    const std::int64_t position = GetOutputPosition(output);
    if (position < 0) {
        output.setstate(std::ios::failbit);
        return false;
    }
    offset_ = static_cast<std::int32_t>(position);
    return output.good();
}

// --- CIffChunk ---

CIffChunk::CIffChunk(const CFourCharacterCode& identifier, int endianness)
    : GT::CEndianed(endianness), header_(endianness, identifier) {}

void CIffChunk::SetEndianness(int endianness) {
    GT::CEndianed::SetEndianness(endianness);
    header_.SetEndianness(endianness);
}

bool CIffChunk::Read(std::istream& input) {
    return ReadHeader(input) && ReadBody(input);
}

bool CIffChunk::Write(std::ostream& output) {
    return header_.Write(output) && WriteBody(output) && Finish(output);
}

bool CIffChunk::ReadHeader(std::istream& input) {
    CHeader header(GetEndianness());
    if (!header.Read(input) || header.GetSize() < 0 || header.GetOffset() < 0) {
        return false;
    }
    if (header.GetIdentifier() != header_.GetIdentifier()) {
        return false;
    }
    const std::int64_t inputEnd = GetInputEnd(input);
    if (inputEnd < 0) {
        input.setstate(std::ios::failbit);
        return false;
    }
    header_ = header;
    inputEnd_ = inputEnd;
    return true;
}

bool CIffChunk::ReadBodyAfter(std::istream& input, const CHeader& header, std::int64_t inputEnd) {
    if (header.GetIdentifier() != header_.GetIdentifier() || header.GetSize() < 0 ||
        header.GetOffset() < 0 || inputEnd < header.GetOffset()) {
        return false;
    }
    header_.SetSize(header.GetSize());
    header_.SetOffset(header.GetOffset());
    inputEnd_ = inputEnd;
    return ReadBody(input);
}

bool CIffChunk::Finish(std::ostream& output) {
    const std::int64_t end = GetOutputPosition(output);
    const std::int64_t offset = header_.GetOffset();
    if (end < 0 || offset < 4 || end < offset) {
        output.setstate(std::ios::failbit);
        return false;
    }
    header_.SetSize(static_cast<std::int32_t>(end - offset));
    output.seekp(offset - 4);
    const GT::CEndianedStreamUtilities utilities(GetEndianness());
    utilities.Write(output, header_.GetSize());
    output.seekp(end);
    if ((header_.GetSize() & 1) != 0) {
        // A pad byte of 0xFF rather than 0: the layout this system has always written.
        output.put(static_cast<char>(0xFF));
    }
    return output.good();
}

bool CIffChunk::Skip(std::istream& input) {
    input.seekg(header_.GetPaddedEnd());
    return input.good();
}

std::int64_t CIffChunk::GetBodyBytesLeft(std::istream& input) const {
    const std::int64_t position = GetInputPosition(input);
    if (position < 0) {
        return -1;
    }
    return std::min(header_.GetBodyEnd(), inputEnd_) - position;
}

bool CIffChunk::Fits(std::istream& input, std::size_t count) const {
    const std::int64_t left = GetBodyBytesLeft(input);
    if (left < 0 || count > static_cast<std::uint64_t>(left)) {
        input.setstate(std::ios::failbit);
        return false;
    }
    return true;
}

bool CIffChunk::ReadField(std::istream& input, std::uint8_t& value) const {
    if (!Fits(input, 1)) {
        return false;
    }
    const int byte = input.get();
    if (!input.good()) {
        return false;
    }
    value = static_cast<std::uint8_t>(byte);
    return true;
}

bool CIffChunk::ReadField(std::istream& input, std::int8_t& value) const {
    std::uint8_t byte = 0;
    if (!ReadField(input, byte)) {
        return false;
    }
    value = static_cast<std::int8_t>(byte);
    return true;
}

bool CIffChunk::ReadField(std::istream& input, std::uint16_t& value) const {
    return Fits(input, sizeof value) &&
           GT::CEndianedStreamUtilities(GetEndianness()).Read(input, value);
}
bool CIffChunk::ReadField(std::istream& input, std::int16_t& value) const {
    return Fits(input, sizeof value) &&
           GT::CEndianedStreamUtilities(GetEndianness()).Read(input, value);
}
bool CIffChunk::ReadField(std::istream& input, std::uint32_t& value) const {
    return Fits(input, sizeof value) &&
           GT::CEndianedStreamUtilities(GetEndianness()).Read(input, value);
}
bool CIffChunk::ReadField(std::istream& input, std::int32_t& value) const {
    return Fits(input, sizeof value) &&
           GT::CEndianedStreamUtilities(GetEndianness()).Read(input, value);
}
bool CIffChunk::ReadExtendedField(std::istream& input, double& value) const {
    return Fits(input, 10) &&
           GT::CEndianedStreamUtilities(GetEndianness()).ReadExtended(input, value);
}

bool CIffChunk::ReadBytes(std::istream& input, std::size_t count, std::string& bytes) const {
    if (!Fits(input, count)) {
        return false;
    }
    std::string read(count, '\0');
    input.read(read.data(), static_cast<std::streamsize>(count));
    if (!input.good()) {
        return false;
    }
    bytes = std::move(read);
    return true;
}

bool CIffChunk::ReadBytes(std::istream& input, std::size_t count,
                          std::vector<std::uint8_t>& bytes) const {
    if (!Fits(input, count)) {
        return false;
    }
    std::vector<std::uint8_t> read(count);
    input.read(reinterpret_cast<char*>(read.data()), static_cast<std::streamsize>(count));
    if (!input.good()) {
        return false;
    }
    bytes = std::move(read);
    return true;
}

bool CIffChunk::WriteField(std::ostream& output, std::uint8_t value) const {
    output.put(static_cast<char>(value));
    return output.good();
}
bool CIffChunk::WriteField(std::ostream& output, std::int8_t value) const {
    output.put(static_cast<char>(value));
    return output.good();
}
bool CIffChunk::WriteField(std::ostream& output, std::uint16_t value) const {
    return GT::CEndianedStreamUtilities(GetEndianness()).Write(output, value);
}
bool CIffChunk::WriteField(std::ostream& output, std::int16_t value) const {
    return GT::CEndianedStreamUtilities(GetEndianness()).Write(output, value);
}
bool CIffChunk::WriteField(std::ostream& output, std::uint32_t value) const {
    return GT::CEndianedStreamUtilities(GetEndianness()).Write(output, value);
}
bool CIffChunk::WriteField(std::ostream& output, std::int32_t value) const {
    return GT::CEndianedStreamUtilities(GetEndianness()).Write(output, value);
}
bool CIffChunk::WriteExtendedField(std::ostream& output, double value) const {
    return GT::CEndianedStreamUtilities(GetEndianness()).WriteExtended(output, value);
}
bool CIffChunk::WriteBytes(std::ostream& output, const void* bytes, std::size_t count) const {
    output.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
    return output.good();
}

} // namespace SL
