#pragma once

namespace GT {

// An object that may stand in for "nothing" (a null object).
class INullable {
public:
    virtual ~INullable() = default;
    virtual bool IsNull() const = 0;
};

} // namespace GT
