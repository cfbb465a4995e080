#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace SL {

class ICloneable {
public:
    virtual ~ICloneable() = default;
    // A deep copy: the copy shares no mutable state with the original.
    virtual std::shared_ptr<ICloneable> Clone() const = 0;
};

class CObject : public ICloneable {};

class IActivatable {
public:
    virtual ~IActivatable() = default;
    virtual bool IsActive() const = 0;
    virtual void SetActive(bool active) = 0;
};

class INamable {
public:
    virtual ~INamable() = default;
    virtual const std::string& GetName() const = 0;
    virtual void SetName(const std::string& name) = 0;
};

// Something laid out over a range of sample frames [begin, end).
class ILocatable2D {
public:
    using CRange = std::pair<std::int64_t, std::int64_t>;

    virtual ~ILocatable2D() = default;
    virtual CRange GetRange() const = 0;
    virtual void SetRange(const CRange& range) = 0;

    std::int64_t GetLength() const { return GetRange().second - GetRange().first; }
    void SetLength(std::int64_t length) { SetRange({GetRange().first, GetRange().first + length}); }
};

class IEntity : public CObject, public IActivatable, public INamable {};

// The state every entity has: an activity flag and a name.
class CEntityState : public virtual IEntity {
public:
    bool IsActive() const override { return active_; }
    void SetActive(bool active) override { active_ = active; }
    const std::string& GetName() const override { return name_; }
    void SetName(const std::string& name) override { name_ = name; }

private:
    bool active_ = true;
    std::string name_;
};

// The range part of ILocatable2D, held as a value.
class CLocatedRange : public virtual ILocatable2D {
public:
    CRange GetRange() const override { return range_; }
    void SetRange(const CRange& range) override { range_ = range; }

private:
    CRange range_{0, 0};
};

} // namespace SL
