#pragma once

#include <cstdint>
#include <utility>

namespace SL {

// The fill level of a ring of sample frames, which one thread fills while another drains it.
class IRingSampleBufferMixin {
public:
    // Whole frames, then the bytes of one channel left over beyond them.
    using CAmount = std::pair<std::int64_t, std::int64_t>;

    virtual ~IRingSampleBufferMixin() = default;
    virtual bool IsNotEmpty() const = 0;
    virtual bool HasRoom() const = 0;
    virtual CAmount GetReadableAmount() const = 0;
    virtual CAmount GetWritableAmount() const = 0;
};

} // namespace SL
