#include "app/message_catalogue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace ZQ3 {
namespace {

class MessageCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { catalogue.fill(LanguageEnglish); }
    void TearDown() override { catalogue.fill(LanguageEnglish); }
    MessageCatalogue& catalogue = MessageCatalogue::Instance();
};

TEST_F(MessageCatalogueTest, EveryIdHasATextInBothLanguages) {
    for (int id = 0; id <= MessageChangePending; ++id) {
        catalogue.setLanguage(LanguageEnglish);
        const std::string english = catalogue.text(id);
        catalogue.setLanguage(LanguageJapanese);
        const std::string japanese = catalogue.text(id);
        EXPECT_FALSE(english.empty()) << id;
        EXPECT_FALSE(japanese.empty()) << id;
        EXPECT_NE(english, japanese) << id;
    }
}

TEST_F(MessageCatalogueTest, TextsAreExact) {
    EXPECT_EQ(catalogue.text(MessageNotACard), "The selected drive is not for the ZQ-314.");
    EXPECT_EQ(catalogue.text(MessageCardFull),
              "Insufficient space on the save-destination memory card.");
    EXPECT_EQ(catalogue.text(MessageWaveFileRefused),
              "Failed to load the wave file. The converter supports wave files that meet the "
              "following conditions.\n- Format is WAV or AIFF\n- Bit depth is 16 bits per "
              "sample\n- 44.1 kHz sampling frequency\n- One or two channels\n- Length greater "
              "than 70 ms");
    catalogue.setLanguage(LanguageJapanese);
    EXPECT_EQ(catalogue.text(MessageNotACard),
              "ZQ-314 メモリー・カード以外のドライブを選択しました。");
    EXPECT_EQ(catalogue.text(MessageDeleteQuestion), "削除して良いですか？");
}

TEST_F(MessageCatalogueTest, UnknownIdsGiveTheEmptyText) {
    EXPECT_EQ(catalogue.text(MessageRedoFailed + 1), "");
    EXPECT_EQ(catalogue.text(-1), "");
    catalogue.setLanguage(7);
    EXPECT_EQ(catalogue.text(MessageNotACard), "");
}

TEST_F(MessageCatalogueTest, CopyingTextCountsFiles) {
    EXPECT_EQ(CopyingText(1, 2), "Copying... 1/2");
    EXPECT_EQ(CopyingText(2, 2), "Copying... 2/2");
    catalogue.setLanguage(LanguageJapanese);
    EXPECT_EQ(CopyingText(2, 2), "コピー中です。 2/2");
}

// The Japanese texts come from the catalogue file in a process whose locale is plain "C", as on
// a system without a Japanese locale, and choosing them changes nothing else of the process: the
// C library's own messages stay as they were, and the user's LANGUAGE comes back with English.
TEST_F(MessageCatalogueTest, JapaneseNeedsNoJapaneseLocaleAndLeavesTheProcessAlone) {
    const std::optional<std::string> language =
        std::getenv("LANGUAGE") ? std::optional<std::string>(std::getenv("LANGUAGE"))
                                : std::nullopt;
    ::setenv("LANGUAGE", "fr", 1);
    const std::string systemError = std::strerror(ENOENT);
    catalogue.fill(LanguageJapanese);
    EXPECT_EQ(catalogue.text(MessageCardFull), "保存先のメモリー・カードの容量が足りません。");
    EXPECT_EQ(ConvertingFileText("a.flac"), "a.flac を 16 ビット 44.1 kHz に変換中です。");
    EXPECT_EQ(std::strerror(ENOENT), systemError);
    catalogue.fill(LanguageEnglish);
    EXPECT_EQ(ConvertingFileText("a.flac"), "Converting a.flac to 16-bit 44.1 kHz...");
    EXPECT_STREQ(std::getenv("LANGUAGE"), "fr");
    if (language) {
        ::setenv("LANGUAGE", language->c_str(), 1);
    } else {
        ::unsetenv("LANGUAGE");
    }
}

class LanguageFromEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            if (const char* value = std::getenv(name)) {
                saved.emplace_back(name, value);
            }
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            ::unsetenv(name);
        }
        for (const auto& [name, value] : saved) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    std::vector<std::pair<std::string, std::string>> saved;
};

TEST_F(LanguageFromEnvironmentTest, FirstSetVariableDecides) {
    EXPECT_EQ(LanguageFromEnvironment(), LanguageEnglish);
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), LanguageJapanese);
    ::setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), LanguageEnglish);
    ::setenv("LC_ALL", "ja", 1);
    EXPECT_EQ(LanguageFromEnvironment(), LanguageJapanese);
    // An empty variable does not count as set.
    ::setenv("LC_ALL", "", 1);
    EXPECT_EQ(LanguageFromEnvironment(), LanguageEnglish);
    ::setenv("LC_MESSAGES", "C", 1);
    EXPECT_EQ(LanguageFromEnvironment(), LanguageEnglish);
}

} // namespace
} // namespace ZQ3
