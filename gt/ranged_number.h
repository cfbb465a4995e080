#pragma once

#include "gt/iterator.h"

#include <exception>
#include <memory>
#include <string>

namespace GT {

// Describes the values a kind of value object may take.
class IValueDescription {
public:
    virtual ~IValueDescription() = default;
};

// The legal range of a ranged number: its bounds, whether it is a closed list of values (which
// can then be walked), and the display text of each value.
template <class N>
class IRangedNumberDescription : public IValueDescription {
public:
    virtual N GetMinimum() const = 0;
    virtual N GetMaximum() const = 0;
    virtual bool IsEnumerated() const = 0;
    virtual std::unique_ptr<IIterator<N>> CreateIterator() const = 0;
    // The empty text when the value is not legal.
    virtual std::string GetName(N value) const = 0;
};

// A number that may only hold the values its description allows.
template <class N>
class IRangedNumber {
public:
    // Raised when a ranged number is built from a value outside its range. It carries the range
    // so that the catcher can tell the user what would have been accepted.
    class CError : public std::exception {
    public:
        CError(N minimum, N maximum)
            : minimum_(minimum), maximum_(maximum),
              message_("value outside the range " + std::to_string(minimum) + " to " +
                       std::to_string(maximum)) {}

        N GetMinimum() const { return minimum_; }
        N GetMaximum() const { return maximum_; }
        const char* what() const noexcept override { return message_.c_str(); }

    private:
        N minimum_;
        N maximum_;
        std::string message_;
    };

    virtual ~IRangedNumber() = default;
    // A new number of the same concrete class; throws CError when the value is not legal.
    virtual std::unique_ptr<IRangedNumber> CreateFromValue(N value) const = 0;
    // Copies the value of a number of the same concrete class; leaves this one unchanged
    // otherwise.
    virtual IRangedNumber& Assign(const IRangedNumber& other) = 0;
    virtual N GetValue() const = 0;
    virtual std::string ToString() const = 0;
    virtual const IRangedNumberDescription<N>& GetDescription() const = 0;
    virtual bool IsValid(N value) const = 0;
};

} // namespace GT
