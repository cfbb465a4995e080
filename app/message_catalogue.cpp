#include "app/message_catalogue.h"

#include "app/localized_text.h"

#include <cstdlib>
#include <string_view>

namespace ZQ3 {
namespace {

struct BuiltInText {
    int id;
    const char* english;
    const char* japanese;
};

// clang-format off
constexpr BuiltInText BuiltInTexts[] = {
    {0, "A sample already exists at the specified pad. OK to overwrite it?",
        "指定されたパッドにはサンプルが存在します。上書きして良いですか？"},
    {1, "OK to delete?",
        "削除して良いですか？"},
    {2, "Importing...",
        "インポート中です。"},
    {3, "Exporting...",
        "エクスポート中です。"},
    {4, "Converting...",
        "変換中です。"},
    {5, "Copying...",
        "コピー中です。"},
    {6, "Finalizing...",
        "終了中です。"},
    {7, "The selected drive is not for the ZQ-314.",
        "ZQ-314 メモリー・カード以外のドライブを選択しました。"},
    {8, "Failed to load the wave file. The converter supports wave files that meet the following conditions.\n- Format is WAV or AIFF\n- Bit depth is 16 bits per sample\n- 44.1 kHz sampling frequency\n- One or two channels\n- Length greater than 70 ms",
        "ウェーブ・ファイルの読み込みに失敗しました。\nコンバーターが対応するのは以下の形式のウェーブ・ファイルです。\n- フォーマットが WAV 又は AIFF\n- 1 サンプルあたりのビット数が 16 ビット\n- サンプリング周波数が 44.1kHz\n- チャンネル数が 1 又は 2\n- 長さが 70ms 以上"},
    {9, "Playback failed.",
        "再生に失敗しました。"},
    {10, "The import failed.",
        "インポートに失敗しました。"},
    {11, "The export failed.",
        "エクスポートに失敗しました。"},
    {12, "The deletion failed.",
        "デリートに失敗しました。"},
    {13, "Insufficient space on the save-destination memory card.",
        "保存先のメモリー・カードの容量が足りません。"},
    {14, "Insufficient space on the save-destination disk.",
        "保存先のディスクの容量が足りません。"},
    // The converter's own messages about several converters on one card, and about a change that
    // a crash interrupted.
    {15, "The card was changed by another program. It has been reloaded; please try again.",
        "カードが別のプログラムによって変更されました。カードを読み込み直しましたので、もう一度操作してください。"},
    {16, "Another converter is using the card. Waiting for it to finish...",
        "別のコンバーターがカードを使用中です。終了を待っています..."},
    {17, "Another converter has kept the card busy for 60 seconds. Please try again later.",
        "別のコンバーターが 60 秒間カードを使用し続けています。しばらくしてからもう一度お試しください。"},
    {18, "The card holds an unfinished change that can only be completed while the card is writable. Make the card writable and choose it again.",
        "カードに未完了の変更が残っています。この変更はカードが書き込み可能なときにのみ完了できます。カードを書き込み可能にしてから、もう一度選択してください。"},
    // A change that got past its commit: never "failed", as the card will not stay as it was.
    {19, "The change is recorded and will be completed the next time the card is opened.",
        "変更は記録されました。次にカードを開いたときに完了します。"},
    {20, "The change could not be completed, and whether it was recorded on the card could not be told. The next time the card is opened, it will hold either exactly what it held before or the whole change.",
        "変更を完了できず、カードに記録されたかどうかも確認できませんでした。次にカードを開いたとき、カードは変更前のままか、変更をすべて終えた状態のどちらかになります。"},
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

void MessageCatalogue::fill(int language) {
    clear();
    for (const auto& text : BuiltInTexts) {
        add(LanguageEnglish, text.id, text.english);
    }
    for (const auto& text : BuiltInTexts) {
        add(LanguageJapanese, text.id, text.japanese);
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
    return Localized("Converting {0} to 16-bit 44.1 kHz...",
                     "{0} を 16 ビット 44.1 kHz に変換中です。", {fileName});
}

} // namespace ZQ3
