#pragma once

namespace GT {

// A forward walk over a sequence of values: ask whether another value follows, then take it.
template <class T>
class IIterator {
public:
    virtual ~IIterator() = default;
    virtual bool HasNext() const = 0;
    virtual T Next() = 0;
};

// The movement half of a positioned iterator: it either stands on an element or has run off
// its sequence. The element access lives in IInputIterator and IOutputIterator, which a
// concrete iterator adds beside this base, so no iterator inherits this class twice.
class IIteratorBase {
public:
    virtual ~IIteratorBase() = default;
    virtual bool IsValid() const = 0;
    virtual void Advance() = 0;
};

// Read access to the element a positioned iterator stands on.
template <class T>
class IInputIterator {
public:
    virtual ~IInputIterator() = default;
    virtual T GetValue() const = 0;
};

// Write access to the element a positioned iterator stands on.
template <class T>
class IOutputIterator {
public:
    virtual ~IOutputIterator() = default;
    virtual void SetValue(T value) = 0;
};

} // namespace GT
