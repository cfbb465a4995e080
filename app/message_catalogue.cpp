#include "app/message_catalogue.h"

#include "app/localized_text.h"
#include "app/text_domain.h"

#include <cstdlib>
#include <string_view>

namespace ZQ3 {
namespace {

// The texts in English; their Japanese comes from the catalogue file (po/ja.po).
struct BuiltInText {
    int id;
    const char* english;
};

// clang-format off
constexpr BuiltInText BuiltInTexts[] = {
    {0, N_("A sample already exists at the specified pad. OK to overwrite it?")},
    {1, N_("OK to delete?")},
    {2, N_("Importing...")},
    {3, N_("Exporting...")},
    {4, N_("Converting...")},
    {5, N_("Copying...")},
    {6, N_("Finalizing...")},
    {7, N_("The selected drive is not for the ZQ-314.")},
    {8, N_("Failed to load the wave file. The converter supports wave files that meet the following conditions.\n- Format is WAV or AIFF\n- Bit depth is 16 bits per sample\n- 44.1 kHz sampling frequency\n- One or two channels\n- Length greater than 70 ms")},
    {9, N_("Playback failed.")},
    {10, N_("The import failed.")},
    {11, N_("The export failed.")},
    {12, N_("The deletion failed.")},
    {13, N_("Insufficient space on the save-destination memory card.")},
    {14, N_("Insufficient space on the save-destination disk.")},
    // The converter's own messages about several converters on one card, and about a change that
    // a crash interrupted.
    {15, N_("The card was changed by another program. It has been reloaded; please try again.")},
    {16, N_("Another converter is using the card. Waiting for it to finish...")},
    {17, N_("Another converter has kept the card busy for 60 seconds. Please try again later.")},
    {18, N_("The card holds an unfinished change that can only be completed while the card is writable. Make the card writable and choose it again.")},
    // A change that got past its commit: never "failed", as the card will not stay as it was.
    {19, N_("The change is recorded and will be completed the next time the card is opened.")},
    {20, N_("The change could not be completed, and whether it was recorded on the card could not be told. The next time the card is opened, it will hold either exactly what it held before or the whole change.")},
    // Stepping through the card's history of changes.
    {21, N_("The undo failed.")},
    {22, N_("The redo failed.")},
};
// clang-format on

} // namespace
MessageCatalogue& MessageCatalogue::Instance() {
    static MessageCatalogue catalogue;
    return catalogue;
}

void MessageCatalogue::add(int language, int id, std::string text) {
    texts_[language][id] = std::move(text);
}

std::string MessageCatalogue::text(int id) const {
    const auto language = texts_.find(language_);
    if (language == texts_.end()) {
        return {};
    }
    const auto found = language->second.find(id);
    return found == language->second.end() ? std::string() : found->second;
}

void MessageCatalogue::clear() {
    texts_.clear();
}

void MessageCatalogue::setLanguage(int language) {
    language_ = language;
    // The texts that are not in the catalogue follow it.
    CTextDomain::Instance().selectJapanese(language == LanguageJapanese);
}

void MessageCatalogue::fill(int language) {
    clear();
    CTextDomain& domain = CTextDomain::Instance();
    domain.selectJapanese(true);
    for (const auto& text : BuiltInTexts) {
        add(LanguageEnglish, text.id, text.english);
        add(LanguageJapanese, text.id, domain.japanese(text.english));
    }
    setLanguage(language);
}

int LanguageFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return std::string_view(value).starts_with("ja") ? LanguageJapanese : LanguageEnglish;
        }
    }
    return LanguageEnglish;
}

std::string CatalogueText(int id) {
    return MessageCatalogue::Instance().text(id);
}

std::string CopyingText(int file, int count) {
    return MessageCatalogue::Instance().text(MessageCopying) + " " + std::to_string(file) + "/" +
           std::to_string(count);
}

std::string ConvertingFileText(const std::string& fileName) {
    return Localized("Converting {0} to 16-bit 44.1 kHz...", {fileName});
}

} // namespace ZQ3
