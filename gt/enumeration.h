#pragma once

#include "gt/enumeration_description.h"
#include "gt/ranged_number.h"

#include <cstdint>
#include <memory>
#include <string>

namespace GT {

// A ranged number that can also be built from the display text of a value.
template <class N>
class IEnumeration : public IRangedNumber<N> {
public:
    // A new object of the same concrete class; throws CError when the text is not listed.
    virtual std::unique_ptr<IEnumeration> CreateFromName(const std::string& name) const = 0;
};

// An integer restricted to the values of T's static table. T derives from CEnumeration<T> and
// provides
//     static const CPairTable<int, std::string>& GetTable();
// which must build the table on first use, so that the table exists whichever static
// initialiser first asks for it.
//
// Enumerations are small values: one 32-bit integer, copied freely.
template <class T>
class CEnumeration : public IEnumeration<int> {
public:
    using CError = IRangedNumber<int>::CError;

    // The first value of the table.
    CEnumeration() : value_(Description().GetMinimum()) {}
    explicit CEnumeration(int value) : value_(value) { Validate(value_); }
    // The exact, case-sensitive text of a value.
    explicit CEnumeration(const std::string& name) : value_(Description().FindValue(name)) {
        Validate(value_);
    }
    explicit CEnumeration(const char* name) : CEnumeration(std::string(name ? name : "")) {}
    CEnumeration(const CEnumeration&) = default;
    CEnumeration& operator=(const CEnumeration&) = default;
    ~CEnumeration() override = default;

    std::unique_ptr<IRangedNumber<int>> CreateFromValue(int value) const override {
        return std::make_unique<T>(value);
    }
    std::unique_ptr<IEnumeration<int>> CreateFromName(const std::string& name) const override {
        return std::make_unique<T>(name);
    }
    IRangedNumber<int>& Assign(const IRangedNumber<int>& other) override {
        if (const auto* same = dynamic_cast<const T*>(&other)) {
            value_ = same->value_;
        }
        return *this;
    }
    int GetValue() const override { return value_; }
    std::string ToString() const override { return Description().GetName(value_); }
    const IRangedNumberDescription<int>& GetDescription() const override { return Description(); }
    bool IsValid(int value) const override { return Description().IsLegal(value); }

    // The one description of T, made on first use and kept until the process ends (it is never
    // destroyed, so enumerations stay usable from other objects' static destructors).
    static const CEnumerationDescription& Description() {
        static const CEnumerationDescription* const description =
            new CEnumerationDescription(T::GetTable());
        return *description;
    }
    static bool IsLegal(int value) { return Description().IsLegal(value); }

    friend bool operator==(const CEnumeration& a, const CEnumeration& b) {
        return a.value_ == b.value_;
    }

protected:
    // For the shared constants of T: those values are taken from T's own table, so they are not
    // checked, which lets the constants be initialised before any code runs.
    struct CListedValue {};
    constexpr CEnumeration(int value, CListedValue) : value_(value) {}

private:
    static void Validate(int value) {
        if (!Description().IsLegal(value)) {
            throw CError(Description().GetMinimum(), Description().GetMaximum());
        }
    }

    std::int32_t value_;
};

} // namespace GT
