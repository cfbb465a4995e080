#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace SL {

// Where the next sample of a byte-addressed buffer lies. The address is kept as an integer so
// that a locator may step past the end of its buffer (an iterator that has run off) without
// forming an out-of-range pointer.
class CByteSampleLocator {
public:
    explicit CByteSampleLocator(std::uint8_t* address = nullptr)
        : address_(reinterpret_cast<std::uintptr_t>(address)) {}
    virtual ~CByteSampleLocator() = default;

    std::shared_ptr<CByteSampleLocator> Clone() const {
        return std::make_shared<CByteSampleLocator>(*this);
    }
    bool IsSame(const CByteSampleLocator& other) const { return this == &other; }
    // Only dereference an address that the owner of the buffer has checked to be inside it.
    std::uint8_t* GetAddress() const { return reinterpret_cast<std::uint8_t*>(address_); }
    std::uintptr_t GetAddressValue() const { return address_; }
    // Negative steps move back, as the ring incrementers do when they wrap.
    std::ptrdiff_t Advance(std::ptrdiff_t bytes) {
        address_ += static_cast<std::uintptr_t>(bytes);
        return bytes;
    }
    void SetAddress(std::uint8_t* address) { address_ = reinterpret_cast<std::uintptr_t>(address); }
    bool Equals(const CByteSampleLocator& other) const { return address_ == other.address_; }

private:
    std::uintptr_t address_;
};

} // namespace SL
