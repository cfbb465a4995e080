#include "sl/model/wave_file_format.h"

namespace SL {

const GT::CPairTable<int, std::string>& CWaveFileFormat::GetTable() {
    // Never destroyed, so that the table outlives every enumeration object.
    static const auto* const table = new GT::CPairTable<int, std::string>(
        {
            {0, "INVALID"},
            {1, "AIFF"},
            {2, "WINWAVE"},
        },
        {-1, ""});
    return *table;
}

constinit const CWaveFileFormat CWaveFileFormat::INVALID{0, CListedValue{}};
constinit const CWaveFileFormat CWaveFileFormat::AIFF{1, CListedValue{}};
constinit const CWaveFileFormat CWaveFileFormat::WINWAVE{2, CListedValue{}};

} // namespace SL
