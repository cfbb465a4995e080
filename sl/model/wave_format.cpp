#include "sl/model/wave_format.h"

namespace SL {

const GT::CPairTable<int, std::string>& CWaveFormat::GetTable() {
    // Never destroyed, so that the table outlives every enumeration object.
    static const auto* const table = new GT::CPairTable<int, std::string>(
        {
            {0x00000, "NONE"},
            {0x1000A, "WAVE"},
            {0x10014, "FFT"},
            {0x10022, "PITCH"},
            {0x10003, "GENERAL"},
            {0x2000A, "AMPLITUDE_ENVELOPE"},
            {0x20022, "PITCH_ENVELOPE"},
            {0x20014, "FILTER_ENVELOPE"},
            {0x20044, "PHASE_ENVELOPE"},
        },
        {-1, ""});
    return *table;
}

constinit const CWaveFormat CWaveFormat::NONE{0x00000, CListedValue{}};
constinit const CWaveFormat CWaveFormat::WAVE{0x1000A, CListedValue{}};
constinit const CWaveFormat CWaveFormat::FFT{0x10014, CListedValue{}};
constinit const CWaveFormat CWaveFormat::PITCH{0x10022, CListedValue{}};
constinit const CWaveFormat CWaveFormat::GENERAL{0x10003, CListedValue{}};
constinit const CWaveFormat CWaveFormat::AMPLITUDE_ENVELOPE{0x2000A, CListedValue{}};
constinit const CWaveFormat CWaveFormat::PITCH_ENVELOPE{0x20022, CListedValue{}};
constinit const CWaveFormat CWaveFormat::FILTER_ENVELOPE{0x20014, CListedValue{}};
constinit const CWaveFormat CWaveFormat::PHASE_ENVELOPE{0x20044, CListedValue{}};

} // namespace SL
