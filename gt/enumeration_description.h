#pragma once

#include "gt/pair_table.h"
#include "gt/ranged_number.h"

#include <cstddef>
#include <memory>
#include <string>

namespace GT {

// The range of an enumeration, read from its value table. The table's order, not the numeric
// order of its values, defines the minimum (first entry), the maximum (last entry) and the walk.
class CEnumerationDescription : public IRangedNumberDescription<int> {
public:
    using CTable = CPairTable<int, std::string>;

    // Walks the legal values of one description in table order, never the default pair.
    class CIterator : public IIterator<int> {
    public:
        explicit CIterator(const CTable& table) : table_(table) {}
        bool HasNext() const override { return next_ < table_.GetSize(); }
        int Next() override;

    private:
        const CTable& table_;
        std::size_t next_ = 0;
    };

    // The table must outlive the description; enumeration tables live until the process ends.
    explicit CEnumerationDescription(const CTable& table) : table_(table) {}

    int GetMinimum() const override;
    int GetMaximum() const override;
    bool IsEnumerated() const override { return true; }
    std::unique_ptr<IIterator<int>> CreateIterator() const override;
    std::string GetName(int value) const override { return table_.GetValue(value); }

    // The first legal value with exactly this text, or -1.
    int FindValue(const std::string& name) const;
    // A value is legal when the table gives it a non-empty text; the default pair's text is empty.
    bool IsLegal(int value) const { return !table_.GetValue(value).empty(); }

private:
    const CTable& table_;
};

} // namespace GT
