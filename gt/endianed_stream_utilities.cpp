#include "gt/endianed_stream_utilities.h"

#include <algorithm>
#include <cstring>

namespace GT {

bool CEndianedStreamUtilities::ReadRaw(std::istream& input, std::uint8_t* bytes, int count) const {
    std::uint8_t buffer[16];
    input.read(reinterpret_cast<char*>(buffer), count);
    if (!input.good() || input.gcount() != count) {
        return false;
    }
    if (NeedsSwap()) {
        std::reverse(buffer, buffer + count);
    }
    std::memcpy(bytes, buffer, static_cast<std::size_t>(count));
    return true;
}

bool CEndianedStreamUtilities::WriteRaw(std::ostream& output, const std::uint8_t* bytes,
                                        int count) const {
    std::uint8_t buffer[16];
    std::memcpy(buffer, bytes, static_cast<std::size_t>(count));
    if (NeedsSwap()) {
        std::reverse(buffer, buffer + count);
    }
    output.write(reinterpret_cast<const char*>(buffer), count);
    return output.good();
}

template <class T>
bool CEndianedStreamUtilities::ReadInteger(std::istream& input, T& value) const {
    std::uint8_t bytes[sizeof(T)];
    if (!ReadRaw(input, bytes, sizeof(T))) {
        return false;
    }
    std::memcpy(&value, bytes, sizeof(T));
    return true;
}

bool CEndianedStreamUtilities::Read(std::istream& input, std::uint16_t& value) const {
    return ReadInteger(input, value);
}
bool CEndianedStreamUtilities::Read(std::istream& input, std::int16_t& value) const {
    return ReadInteger(input, value);
}
bool CEndianedStreamUtilities::Read(std::istream& input, std::uint32_t& value) const {
    return ReadInteger(input, value);
}
bool CEndianedStreamUtilities::Read(std::istream& input, std::int32_t& value) const {
    return ReadInteger(input, value);
}

bool CEndianedStreamUtilities::ReadExtended(std::istream& input, double& value) const {
    CExtendedBytes bytes;
    if (!ReadRaw(input, bytes.data(), static_cast<int>(bytes.size()))) {
        return false;
    }
    value = ExtendedToDouble(bytes);
    return true;
}

bool CEndianedStreamUtilities::Write(std::ostream& output, std::uint16_t value) const {
    return WriteRaw(output, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
}
bool CEndianedStreamUtilities::Write(std::ostream& output, std::int16_t value) const {
    return WriteRaw(output, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
}
bool CEndianedStreamUtilities::Write(std::ostream& output, std::uint32_t value) const {
    return WriteRaw(output, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
}
bool CEndianedStreamUtilities::Write(std::ostream& output, std::int32_t value) const {
    return WriteRaw(output, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
}

bool CEndianedStreamUtilities::WriteExtended(std::ostream& output, double value) const {
    const CExtendedBytes bytes = DoubleToExtended(value);
    return WriteRaw(output, bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace GT
