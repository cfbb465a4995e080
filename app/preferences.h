#pragma once

#include "gt/profile.h"

#include <string>

namespace ZQ3 {

// What the converter remembers per user between runs: the card and bank used last, the
// playback buffer times and whether imports convert files to the card's format.
struct CPreferences {
    static constexpr const char* VolumeNameKey = "Preference/VolumeName";
    static constexpr const char* BankIdKey = "Preference/BankId";
    static constexpr const char* LoadsBufferTimeKey = "Preference/LoadsBufferTime";
    static constexpr const char* RingBufferTimeKey = "Preference/RingBufferTime";
    static constexpr const char* DeviceBufferTimeKey = "Preference/DeviceBufferTime";
    static constexpr const char* ConvertToCardFormatKey = "Preference/ConvertToCardFormat";
    static constexpr const char* ReadBackKey = "Preference/ReadBack";
    static constexpr const char* TrimThresholdKey = "Preference/TrimThreshold";
    static constexpr const char* FadeInTimeKey = "Preference/FadeInTime";
    static constexpr const char* FadeOutTimeKey = "Preference/FadeOutTime";
    static constexpr const char* FadeShapeKey = "Preference/FadeShape";
    static constexpr const char* SliceModeKey = "Preference/SliceMode";
    static constexpr const char* SliceCountKey = "Preference/SliceCount";
    static constexpr const char* SliceSensitivityKey = "Preference/SliceSensitivity";

    // Buffer times from a store edited by hand are kept within these bounds (seconds): a huge
    // value would make the read-ahead ring take the machine's memory, a tiny one would make
    // every playback stutter.
    static constexpr double ShortestBufferTime = 0.01;
    static constexpr double LongestBufferTime = 2.0;

    std::string cardRoot;
    // 0 to 7; a stored bank outside the card's banks reads as 0.
    int bank = 0;
    double ringBufferTime = 0.18;
    double deviceBufferTime = 0.06;
    // Whether an import from the open dialog converts a file the card does not take as it is
    // (0 or 1 in the store); off unless the user turned it on, so that such a file is refused
    // as it always was.
    bool convertToCardFormat = false;
    // Whether every change reads back from the card what it wrote before it commits (0 or 1 in
    // the store); on unless the user turned it off, since a card that lies about what it stored
    // is found only this way.
    bool readBack = true;

    // The buffer-time entries count only when "Preference/LoadsBufferTime" is above 0, so that
    // they take effect only after a user asked for it.
    static CPreferences Read(GT::IProfile& profile);
    // Writes card, bank, buffer times, the conversion choice and the read-back;
    // "Preference/LoadsBufferTime" is left as it is.
    void write(GT::IProfile& profile) const;
    // Writes the conversion choice alone, as the open dialog does when it closes.
    static void WriteConvertToCardFormat(GT::IProfile& profile, bool convert);
    // Writes the read-back choice alone, as the menu does when it is toggled.
    static void WriteReadBack(GT::IProfile& profile, bool readBack);

    static double ClampBufferTime(double seconds);

    // How the open dialog last trimmed, faded and chopped: the threshold in dBFS, the fade
    // times in seconds (real text in the store), the shape and slice mode as 0 or 1, the count
    // of parts or most onsets and the onset sensitivity. Values edited out of range by hand are
    // held to what the dialog offers.
    struct Tidying {
        double trimThresholdDb = -60.0;
        double fadeInSeconds = 0.0;
        double fadeOutSeconds = 0.0;
        bool equalPowerFades = false;
        bool sliceAtOnsets = false;
        int sliceCount = 8;
        int sliceSensitivity = 50;

        static constexpr double LowestThresholdDb = -120.0;
        static constexpr double LongestFade = 10.0;
        // The most slices: every pad of the card.
        static constexpr int MostSlices = 128;
    };
    static Tidying ReadTidying(GT::IProfile& profile);
    static void WriteTidying(GT::IProfile& profile, const Tidying& tidying);
};

} // namespace ZQ3
