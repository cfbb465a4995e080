#pragma once

#include <map>
#include <string>

namespace ZQ3 {

// Message ids of the catalogue.
enum MessageId : int {
    MessageOverwriteQuestion = 0,
    MessageDeleteQuestion = 1,
    MessageImporting = 2,
    MessageExporting = 3,
    MessageConverting = 4,
    MessageCopying = 5,
    MessageFinalizing = 6,
    MessageNotACard = 7,
    MessageWaveFileRefused = 8,
    MessagePlaybackFailed = 9,
    MessageImportFailed = 10,
    MessageExportFailed = 11,
    MessageDeletionFailed = 12,
    MessageCardFull = 13,
    MessageDiskFull = 14,
    // Another program changed the card since it was loaded; the card was reloaded.
    MessageCardChanged = 15,
    // Another converter holds the card's lock; this one waits.
    MessageCardInUse = 16,
    // The wait for the card's lock ran out.
    MessageCardBusy = 17,
    // A committed change waits on a card that cannot be written.
    MessageChangePending = 18,
    // A change was committed, but could not be finished now: the next opening completes it.
    MessageChangeRecorded = 19,
    // A change could not be finished, and whether it was committed could not be told.
    MessageChangeUndecided = 20,
    // An undo or a redo of a change of the card did not happen.
    MessageUndoFailed = 21,
    MessageRedoFailed = 22,
};

enum Language : int { LanguageEnglish = 0, LanguageJapanese = 1 };

// The texts the converter shows to the user, in English and Japanese (UTF-8). The English texts
// are built in; fill() takes the Japanese ones from the catalogue file po/ja.po.
class MessageCatalogue {
public:
    static MessageCatalogue& Instance();

    void add(int language, int id, std::string text);
    void setLanguage(int language);
    int language() const { return language_; }
    // The text of id in the current language; empty when there is none.
    std::string text(int id) const;
    void clear();

    // Clears the catalogue, adds the built-in texts of both languages and selects language.
    void fill(int language);

private:
    std::map<int, std::map<int, std::string>> texts_;
    int language_ = LanguageEnglish;
};

// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty decides; a value starting with "ja" selects Japanese, anything else English.
int LanguageFromEnvironment();

// The text of id in the catalogue's current language.
std::string CatalogueText(int id);

// "Copying... 2/2": the copying text with the number of the file and the count.
std::string CopyingText(int file, int count);

// "Converting kick.flac to 16-bit 44.1 kHz...": the step of an import that converts the user's
// file before the card's own encoding.
std::string ConvertingFileText(const std::string& fileName);

} // namespace ZQ3
