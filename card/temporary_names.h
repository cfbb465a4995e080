#pragma once

namespace ZQ3::TemporaryNames {

// The file names under which the commands keep their work until it is finished. Every one of
// them starts with Prefix, so that whatever an interrupted run left on a card is recognised as
// the converter's own and cleared away by the next one.
constexpr const char* Prefix = "___ZQ3_";

// An import's encoded channel file; a stereo import appends the channel's digit.
constexpr const char* SampleFile = "___ZQ3_TEMPORARY_SAMPLE_FILE___";
// A new sample-information file, before it replaces the card's.
constexpr const char* SampleInformationFile = "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___";
// An export's audio file, in the destination's directory, followed by a suffix of its own run.
constexpr const char* WaveFile = "___ZQ3_TEMPORARY_WAVE_FILE___";
// The list of steps that finishes a change of the card, present while the change is committed
// but not yet complete.
constexpr const char* JournalFile = "___ZQ3_JOURNAL___";

} // namespace ZQ3::TemporaryNames
