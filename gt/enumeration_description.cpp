#include "gt/enumeration_description.h"

namespace GT {

int CEnumerationDescription::CIterator::Next() {
    if (next_ >= table_.GetSize()) {
        // Past the end the walk stays on the default pair's value rather than reading beyond the
        // table.
        return table_.GetDefault().first;
    }
    return table_.GetPair(next_++).first;
}

int CEnumerationDescription::GetMinimum() const {
    return table_.GetSize() == 0 ? 0 : table_.GetPair(0).first;
}

int CEnumerationDescription::GetMaximum() const {
    return table_.GetSize() == 0 ? 0 : table_.GetPair(table_.GetSize() - 1).first;
}

std::unique_ptr<IIterator<int>> CEnumerationDescription::CreateIterator() const {
    return std::make_unique<CIterator>(table_);
}

int CEnumerationDescription::FindValue(const std::string& name) const {
    for (const auto& [value, text] : table_) {
        if (text == name) {
            return value;
        }
    }
    return -1;
}

} // namespace GT
