#include "app/localized_text.h"

#include "app/message_catalogue.h"
#include "app/shown_name.h"
#include "app/text_domain.h"

namespace ZQ3 {
namespace {

bool SpeaksJapanese() {
    return MessageCatalogue::Instance().language() == LanguageJapanese;
}

} // namespace

std::string Localized(const char* english, std::initializer_list<std::string> values) {
    const char* pattern = SpeaksJapanese() ? CTextDomain::Instance().japanese(english) : english;
    std::string text;
    for (const char* at = pattern; *at != '\0'; ++at) {
        if (at[0] == '{' && at[1] >= '0' && at[1] <= '9' && at[2] == '}') {
            const auto index = static_cast<std::size_t>(at[1] - '0');
            // The values are names, paths, numbers and what the user typed: anything from
            // outside is shown so that its control characters cannot act on a terminal.
            if (index < values.size()) {
                text += ShownName(values.begin()[index]);
            }
            at += 2;
        } else {
            text += *at;
        }
    }
    return text;
}

std::string JoinSentences(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) {
        return first + second;
    }
    const std::string japaneseStop = "\u3002";
    return first.ends_with(japaneseStop) ? first + second : first + " " + second;
}

} // namespace ZQ3
