#pragma once

namespace SL {

// A data transfer object: the in-memory image of one file format.
class IDto {
public:
    virtual ~IDto() = default;
    // Whether the object holds a consistent image of its format.
    virtual bool IsValid() const = 0;
};

} // namespace SL
