#include "sl/model/envelope.h"

namespace SL {

const GT::CPairTable<int, std::string>& IEnvelope::CCurveType::GetTable() {
    // Never destroyed, so that the table outlives every enumeration object.
    static const auto* const table = new GT::CPairTable<int, std::string>(
        {
            {0, "LIN"},
            {1, "LOG"},
            {2, "SPL"},
        },
        {-1, ""});
    return *table;
}

constinit const IEnvelope::CCurveType IEnvelope::CCurveType::LIN{0, CListedValue{}};
constinit const IEnvelope::CCurveType IEnvelope::CCurveType::LOG{1, CListedValue{}};
constinit const IEnvelope::CCurveType IEnvelope::CCurveType::SPL{2, CListedValue{}};

} // namespace SL
