#pragma once

#include <istream>
#include <ostream>

namespace SL {

// Something that reads itself from and writes itself to a binary byte stream. Both operations
// answer whether the stream is still good afterwards.
class IStreamable {
public:
    virtual ~IStreamable() = default;
    virtual bool Read(std::istream& input) = 0;
    virtual bool Write(std::ostream& output) = 0;
};

} // namespace SL
