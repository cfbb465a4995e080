#pragma once

#include <locale.h>

#include <optional>
#include <string>

namespace ZQ3 {

// The converter's texts in Japanese, read through the C library's gettext from the catalogue
// file compiled from po/ja.po (text domain "zq3"). English texts are the catalogue's keys and
// need no lookup.
//
// gettext picks the language from the locale, and a fresh system has no Japanese locale, while
// the converter speaks Japanese whenever it is asked to. So the lookup itself runs in the C.UTF-8
// locale (which every glibc system has) on the calling thread only, and the language comes from
// LANGUAGE, which gettext honours in any locale but "C": selecting Japanese sets LANGUAGE=ja for
// the process, selecting English puts back the user's own. The C library's own messages stay as
// the process's locale gives them.
class CTextDomain {
public:
    static constexpr const char* Name = "zq3";

    static CTextDomain& Instance();

    // Points gettext at Japanese, or back at what the user's environment says. Called while one
    // thread runs, as at start-up, since it changes the environment.
    void selectJapanese(bool japanese);

    // english in Japanese; english itself when the catalogue file or the text is missing.
    // Japanese must be selected.
    const char* japanese(const char* english) const;

    // The folder of the catalogue files (<folder>/ja/LC_MESSAGES/zq3.mo): the build's own when
    // the program runs from the build folder, the installed share/locale otherwise.
    const std::string& directory() const { return directory_; }

    CTextDomain(const CTextDomain&) = delete;
    CTextDomain& operator=(const CTextDomain&) = delete;

private:
    CTextDomain();
    ~CTextDomain();

    std::string directory_;
    locale_t lookupLocale_;
    std::optional<std::string> userLanguage_;
    bool japanese_ = false;
};

} // namespace ZQ3
