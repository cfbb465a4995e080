#pragma once

#include "sl/model/bit_depth.h"
#include "sl/model/wave_file_format.h"

#include <cstdint>

namespace SL {

// Where and how an audio file holds its samples, checked against the file before anyone reads
// a sample: a positive finite rate, at least one channel, and a byte range of whole frames
// inside the file.
struct CSampleDataLayout {
    CWaveFileFormat fileFormat;
    int endianness = 1;
    CBitDepth bitDepth;
    double sampleRate = 0;
    std::int32_t channelCount = 0;
    std::int32_t frameCount = 0;
    // Stream positions of the first sample byte and one past the last whole frame.
    std::int32_t dataBegin = 0;
    std::int32_t dataEnd = 0;
};

// Whether a rate read from a file can describe sound: positive, finite and not subnormal.
bool IsUsableSampleRate(double rate);

} // namespace SL
