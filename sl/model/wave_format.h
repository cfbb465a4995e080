#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <string>

namespace SL {

// The kind of signal a wave holds. The upper 16 bits are 1 for signals and 2 for envelopes.
class CWaveFormat : public GT::CEnumeration<CWaveFormat> {
public:
    using CEnumeration::CEnumeration;

    static constexpr int SignalKind = 0x10000;
    static constexpr int EnvelopeKind = 0x20000;

    static const GT::CPairTable<int, std::string>& GetTable();

    bool IsSignal() const { return (GetValue() >> 16) == 1; }
    bool IsEnvelope() const { return (GetValue() >> 16) == 2; }

    static const CWaveFormat NONE;
    static const CWaveFormat WAVE;
    static const CWaveFormat FFT;
    static const CWaveFormat PITCH;
    static const CWaveFormat GENERAL;
    static const CWaveFormat AMPLITUDE_ENVELOPE;
    static const CWaveFormat PITCH_ENVELOPE;
    static const CWaveFormat FILTER_ENVELOPE;
    static const CWaveFormat PHASE_ENVELOPE;
};

} // namespace SL
