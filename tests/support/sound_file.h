#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3::Fixture {

enum class Container { Wave, Aiff, Other };

// An audio file as libsndfile reads it. libsndfile shares no code with the converter, so the
// tests use it as their independent reader of what the converter wrote or played.
template <typename Sample>
struct SoundFile {
    Container container = Container::Other;
    int bitsPerSample = 0; // of integer samples; 0 for floating point and compressed data
    bool floating = false;
    int channels = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
    // Interleaved, scaled to Sample as libsndfile scales: int16 or int to their full range,
    // double to -1..1.
    std::vector<Sample> samples;
};

// Nothing when libsndfile cannot open the file. Defined for std::int16_t, int and double.
template <typename Sample>
std::optional<SoundFile<Sample>> ReadSoundFile(const std::string& path);

extern template std::optional<SoundFile<std::int16_t>> ReadSoundFile(const std::string&);
extern template std::optional<SoundFile<int>> ReadSoundFile(const std::string&);
extern template std::optional<SoundFile<double>> ReadSoundFile(const std::string&);

// The compressed kinds of file libsndfile may write, for sources the converter has to decode.
enum class CompressedKind { Mp3, OggVorbis, OggOpus };

// Writes `frames` frames of a 440 Hz tone at half scale on every channel as a compressed file
// of the given kind, through libsndfile. False when the installed libsndfile cannot write that
// kind (Opus, for instance, takes only some sample rates) or the file could not be written.
bool WriteCompressedTone(const std::string& path, CompressedKind kind, int sampleRate, int channels,
                         std::int64_t frames);

// The interleaved 16-bit samples of a file and its channel count, for tests that only look at
// the sound; empty and 0 channels when libsndfile cannot read it.
std::vector<std::int16_t> ReadSamples16(const std::string& path, int& channels);

} // namespace ZQ3::Fixture
