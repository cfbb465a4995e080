#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <string>

namespace SL {

// The container of an audio file.
class CWaveFileFormat : public GT::CEnumeration<CWaveFileFormat> {
public:
    using CEnumeration::CEnumeration;

    static const GT::CPairTable<int, std::string>& GetTable();

    static const CWaveFileFormat INVALID;
    static const CWaveFileFormat AIFF;
    static const CWaveFileFormat WINWAVE;
};

} // namespace SL
