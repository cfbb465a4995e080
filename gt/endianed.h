#pragma once

namespace GT {

// Byte order of a stream or a record layout: 0 is big-endian, 1 little-endian.
class IEndianed {
public:
    virtual ~IEndianed() = default;
    virtual void SetEndianness(int endianness) = 0;
    virtual int GetEndianness() const = 0;
    virtual bool IsBigEndian() const = 0;
    virtual bool IsLittleEndian() const = 0;
};

class CEndianness {
public:
    static constexpr int BigEndian = 0;
    static constexpr int LittleEndian = 1;
    // Every machine this program runs on stores integers little-endian.
    static constexpr int Host = LittleEndian;

    explicit CEndianness(int value = Host) : value_(value) {}

protected:
    int value_;
};

// CEndianness is a virtual base so that a class reaching it through several bases keeps one
// byte order. The constructor assigns the value in its body because a virtual base is built by
// the most derived class, which would otherwise silently pick the default.
class CEndianed : public virtual IEndianed, protected virtual CEndianness {
public:
    explicit CEndianed(int endianness = Host) { value_ = endianness; }

    void SetEndianness(int endianness) override { value_ = endianness; }
    int GetEndianness() const override { return value_; }
    bool IsBigEndian() const override { return value_ == BigEndian; }
    bool IsLittleEndian() const override { return value_ == LittleEndian; }
    // Any value other than the host's order means the bytes are reversed on every access.
    bool NeedsSwap() const { return value_ != Host; }
};

} // namespace GT
