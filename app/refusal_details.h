#pragma once

#include "app/import_command.h"
#include "card/file_system.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"
#include "sl/convert/sound_file_converter.h"
#include "sl/files/wave_file_loader.h"
#include "sl/model/sound_bounds.h"

#include <string>

namespace ZQ3 {

// The details that follow a refusal's catalogue message: why the converter refused, in the
// catalogue's current language, naming the file (a sound file by its name, a card by its path).
// An empty detail means there is nothing certain to add to the message.

// Why a folder chosen as a card is not one, as far as its folders tell.
enum class CardFolderProblem {
    None,
    NoSuchFolder,
    NotAFolder,
    // The folder has no KELDRA/ZQ314/ folder.
    NoConverterFolder,
    // KELDRA or KELDRA/ZQ314 is a symbolic link, which the converter never follows.
    LinkedConverterFolder,
};

// Examines root and its converter folder. Only what the file system says for certain counts:
// an item that cannot be examined (an I/O error) gives None.
CardFolderProblem ExamineCardFolder(const std::string& root, IFileSystem& fs);

// Why a sound file gave no wave; fileName is the name shown.
std::string WaveLoadDetail(const std::string& fileName, const SL::CLoadedWave& loaded);
// What the file is and what the card takes instead.
std::string WaveShapeDetail(const std::string& fileName, const WaveShape& shape);
// A change interrupted earlier that could not be completed now, for the system's errorNumber.
std::string RecoveryFailedDetail(const std::string& cardDirectory, int errorNumber);
// The card's journal, which tells whether a change was interrupted, could not be read.
std::string JournalUnreadableDetail(const std::string& cardDirectory, int errorNumber);
// Why the sound file at path is refused: what keeps it from loading, or else its shape and what
// the card takes.
std::string RefusedWaveDetail(const std::string& path);
// A refusal of a file the converter could convert, with the tool's advice to ask for that.
std::string WithConvertHint(const std::string& refusal);
// Why a file asked to be converted was not.
std::string ConversionFailedDetail(const std::string& fileName, bool damaged);
// Which of the bounds every sound file is held to the file's header lies outside, and by what.
std::string SoundBoundsDetail(const std::string& fileName, const SL::CSoundBoundsCheck& bounds);
// The bound a WAV or AIFF file's header lies outside, as the converter's own reader finds it;
// empty when it finds none. libsndfile refuses some such headers (thousands of channels) only
// as unreadable.
std::string OwnReaderBoundsDetail(const std::string& path, const std::string& fileName);
// Why the conversion of the file at path gave result: what the name leads to when it did not
// open, the bound its header lies outside, or that it is damaged or failed.
std::string ConversionResultDetail(const std::string& path, const std::string& fileName,
                                   const SL::CConversionResult& result);
// A sound file that passed its check and then failed to open again, or opened as another shape:
// what is wrong with it now, or that it changed. The file at path is the one read; fileName is
// the name shown, the user's own file when path is its conversion.
std::string RereadFailedDetail(const std::string& path, const std::string& fileName);
std::string CardFolderDetail(const std::string& root, CardFolderProblem problem);
// Why the information file at path did not read.
// The name of a field of the information file's records, as the user reads it.
std::string FieldName(SampleInformationField field);
std::string InformationFileDetail(const std::string& path, const SampleInformationReading& reading);
// Why an export may not write path; nothing to add for a path that could not be examined.
std::string DestinationDetail(const std::string& path, const FileTransfer::DestinationCheck& check);
// An export destination inside the card's own folder cardDirectory.
std::string InsideCardDetail(const std::string& path, const std::string& cardDirectory);

} // namespace ZQ3
