#pragma once

#include "card/file_system.h"
#include "card/sample_information_dto.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// One thing on a card that does not agree with the rest, found without changing anything.
struct CardFinding {
    enum class Kind {
        // KELDRA/ZQ314 is missing, or is not a folder (a link to one is never followed).
        NoCardFolder,
        // The information file cannot be read at all; see reading in the check.
        InformationFileUnreadable,
        // The information file ends before this slot's record.
        NoRecord,
        // The slot's record has field at its all-ones value.
        InvalidRecord,
        // A pad holds a sample, but its channel file is not there.
        MissingChannelFile,
        // Something other than a regular file is at the channel file's name.
        ChannelFileNotRegular,
        // The channel file holds fewer bytes than the record's frame count needs.
        ShortChannelFile,
        // The channel file holds more bytes than the record's frame count needs.
        LongChannelFile,
        // The record is stereo and has no right-channel file, or mono and has one.
        StereoFlagDisagrees,
        // A channel file of a slot whose record holds no sample.
        OrphanChannelFile,
        // A file an interrupted run of the converter left (its work names start with ___ZQ3_).
        Leftover,
    };

    Kind kind;
    // The slot concerned, or -1 for the card as a whole.
    int slot = -1;
    // The file concerned, by its name within the card folder.
    std::string fileName;
    // For InvalidRecord.
    SampleInformationField field = SampleInformationField::RangeBegin;
    // For ShortChannelFile and LongChannelFile.
    std::uint64_t bytes = 0;
    std::uint64_t expectedBytes = 0;
};

// What is at the name of one channel file, looked at without following a link.
struct ChannelFileState {
    bool present = false;
    bool regular = false;
    std::uint64_t bytes = 0;

    // A regular file of whole frames of frameBytes, holding at least one.
    bool HoldsWholeFrames(std::uint64_t frameBytes) const {
        return regular && bytes > 0 && bytes % frameBytes == 0;
    }
};

struct SlotFiles {
    ChannelFileState left;
    ChannelFileState right;
};

// What a check of a card found: the records it could read, slot by slot, and every finding, in
// slot order with the card-wide ones first.
struct CardCheck {
    SampleInformationReading reading;
    // One per slot the file holds, valid or not; fewer than 128 when the file is cut short.
    std::vector<SampleInformationRecord> records;
    // What is at each slot's channel file names, for all 128 slots.
    std::vector<SlotFiles> files;
    std::vector<CardFinding> findings;

    bool IsClean() const { return findings.empty(); }
};

// Bytes a channel file of a record must hold: whole frames of 16 samples, 16 bytes each, or 8
// bytes for a lo-fi sample, which holds twice the record's frame count in samples.
std::uint64_t ChannelFileBytes(const SampleInformationRecord& record);

// Checks the card at root: its information file record by record, the channel files each record
// needs, and every other file of the converter's in the card folder. Reads only; links are
// never followed.
CardCheck CheckCard(const std::string& root, IFileSystem& fs = PosixFileSystem());

// What keeps the sample of slot, whose record is record, from being read whole: the findings a
// check of the card gives for the channel files the record needs (missing, not a regular file,
// cut short). A file longer than the record needs, or a right-channel file beside a mono
// record, is left out: the sample reads whole all the same. Empty when nothing keeps it.
std::vector<CardFinding> CheckSampleChannelFiles(const std::string& root, int slot,
                                                 const SampleInformationRecord& record,
                                                 IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3
