#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <string>

namespace SL {

// A curve of points over time that shapes a wave's amplitude, pitch, filter or phase.
class IEnvelope {
public:
    // How an envelope segment is interpolated towards its next point.
    class CCurveType;

    virtual ~IEnvelope() = default;
};

class IEnvelope::CCurveType : public GT::CEnumeration<IEnvelope::CCurveType> {
public:
    using CEnumeration::CEnumeration;

    static const GT::CPairTable<int, std::string>& GetTable();

    static const CCurveType LIN;
    static const CCurveType LOG;
    static const CCurveType SPL;
};

} // namespace SL
