#pragma once

#include <cstddef>
#include <cstdint>

// The bodies of the fuzz targets. They live outside the fuzzer sources so that the regression
// test can replay the corpus through exactly the same code without libFuzzer. Each reads the
// bytes as an untrusted file and exercises every path a user's file can reach.
namespace ZQ3Fuzz {

// The RIFF WAVE reader: the full chunk tree (every chunk loaded, then written back), the import
// layout, and every sample through the factory's input iterator.
void ReadRiffWave(const std::uint8_t* data, std::size_t size);
// The same for AIFF.
void ReadFormAiff(const std::uint8_t* data, std::size_t size);
// The wave loader: the descriptor of a WAVE or AIFF file, and the decoding of a loaded payload
// into typed channels.
void LoadWave(const std::uint8_t* data, std::size_t size);
// The sample-information file of a card.
void ReadSampleInformation(const std::uint8_t* data, std::size_t size);

} // namespace ZQ3Fuzz
