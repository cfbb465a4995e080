#pragma once

namespace ZQ3::TemporaryNames {

// The file names under which the commands keep their work until it is finished. They are fixed
// so that a file left behind by an interrupted run is recognised, overwritten and cleaned up by
// the next one rather than piling up.

// An import's encoded channel file; a stereo import appends the channel's digit.
constexpr const char* SampleFile = "___ZQ3_TEMPORARY_SAMPLE_FILE___";
// A new sample-information file, before it replaces the card's.
constexpr const char* SampleInformationFile = "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___";
// An export's audio file, in the destination's directory.
constexpr const char* WaveFile = "___ZQ3_TEMPORARY_WAVE_FILE___";

} // namespace ZQ3::TemporaryNames
