#pragma once

#include "gt/endianed.h"
#include "gt/extended_float.h"

#include <cstdint>
#include <istream>
#include <ostream>

namespace GT {

// Reads and writes integers and 80-bit extended numbers in this object's byte order. Every read
// leaves its destination untouched when the stream fails, so a caller can pre-set a default.
// Every operation answers whether the stream is still good.
class CEndianedStreamUtilities : public CEndianed {
public:
    explicit CEndianedStreamUtilities(int endianness = CEndianness::Host) : CEndianed(endianness) {}

    bool Read(std::istream& input, std::uint16_t& value) const;
    bool Read(std::istream& input, std::int16_t& value) const;
    bool Read(std::istream& input, std::uint32_t& value) const;
    bool Read(std::istream& input, std::int32_t& value) const;
    // The ten bytes of an extended number, converted to double (rounded to nearest, ties even).
    bool ReadExtended(std::istream& input, double& value) const;

    bool Write(std::ostream& output, std::uint16_t value) const;
    bool Write(std::ostream& output, std::int16_t value) const;
    bool Write(std::ostream& output, std::uint32_t value) const;
    bool Write(std::ostream& output, std::int32_t value) const;
    bool WriteExtended(std::ostream& output, double value) const;

private:
    template <class T>
    bool ReadInteger(std::istream& input, T& value) const;
    bool ReadRaw(std::istream& input, std::uint8_t* bytes, int count) const;
    bool WriteRaw(std::ostream& output, const std::uint8_t* bytes, int count) const;
};

} // namespace GT
