#pragma once

#include "sl/files/iff_container_chunk.h"
#include "sl/files/sample_data_layout.h"
#include "sl/files/wave_load_problem.h"
#include "sl/model/bit_depth.h"
#include "sl/model/wave.h"
#include "sl/model/wave_file_format.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>

namespace SL {

// One audio file format as every reader and writer of audio files sees it: how a file of it is
// recognised, how its chunks are read and described, and how an exported file's header is
// written. The wave loader and the file sample buffer factory both work from the table
// AudioFileFormats(), so a new format is one more entry there.
struct CAudioFileFormat {
    CWaveFileFormat fileFormat;
    // The identifier a file of the format starts with, before its form type.
    CIffChunk::CFourCharacterCode rootIdentifier;
    // The byte order of the samples in the file.
    int endianness = GT::CEndianness::LittleEndian;
    // Whether 8-bit samples are stored as two's complement rather than offset binary.
    bool signedEightBitSamples = false;

    // Whether the input starts with the format's root header and form type. The stream's
    // position and state are given back as they were.
    bool (*isReadable)(std::istream& input) = nullptr;
    // An empty root whose chunk factory creates every chunk the format knows, the sample
    // payload loaded into memory exactly when loadData is set.
    std::unique_ptr<CIffContainerChunk> (*createRoot)(bool loadData) = nullptr;
    // Where and how a read tree holds its samples, or nothing when it describes no sound.
    std::optional<CSampleDataLayout> (*describeSampleData)(const CIffContainerChunk& root) =
        nullptr;
    // The wave a read tree describes, or nothing when it describes no sound.
    std::shared_ptr<IWave> (*convertToWave)(const CIffContainerChunk& root) = nullptr;
    // Why a tree that gave no wave cannot: the encoding its format chunk names when no reader
    // has it. Nothing when the format chunk is missing or names a supported encoding.
    std::optional<CWaveLoadProblem> (*explainUnsupportedEncoding)(const CIffContainerChunk& root) =
        nullptr;

    // The bytes before the first sample of an exported file.
    std::int32_t headerSize = 0;
    // Whether the header can describe samples of that shape.
    bool (*canWriteHeader)(const CBitDepth& bitDepth, double sampleRate,
                           int channelCount) = nullptr;
    // Writes the whole header from position 0 over the samples in [dataBegin, dataEnd), which
    // are passed over, not written.
    bool (*writeHeader)(std::ostream& output, const CBitDepth& bitDepth, double sampleRate,
                        int channelCount, std::int32_t dataBegin, std::int32_t dataEnd) = nullptr;
};

// Every audio file format, in the order a file's content is tried against them.
std::span<const CAudioFileFormat> AudioFileFormats();

// The format whose root header and form type the input starts with, or nothing. The stream's
// position and state are given back as they were.
const CAudioFileFormat* RecogniseAudioFile(std::istream& input);

// The entry of a file format, or nothing for one no entry has (such as INVALID).
const CAudioFileFormat* FindAudioFileFormat(const CWaveFileFormat& fileFormat);

// Reads a file of the format for its samples, the payload left in the file, and describes
// where they are; nothing when the file does not read or describes no sound.
std::optional<CSampleDataLayout> ReadSampleDataLayout(const CAudioFileFormat& format,
                                                      std::istream& input);

} // namespace SL
