#include "app/text_domain.h"

#include <libintl.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

// The build tells where its compiled catalogues are and where an installation keeps them.
#ifndef ZQ3_BUILD_DIR
#define ZQ3_BUILD_DIR ""
#endif
#ifndef ZQ3_BUILD_LOCALE_DIR
#define ZQ3_BUILD_LOCALE_DIR ""
#endif
#ifndef ZQ3_LOCALE_DIR_FROM_BIN_DIR
#define ZQ3_LOCALE_DIR_FROM_BIN_DIR "../share/locale"
#endif
#ifndef ZQ3_INSTALLED_LOCALE_DIR
#define ZQ3_INSTALLED_LOCALE_DIR "/usr/local/share/locale"
#endif

// Counts the changes of the message language; gettext drops what it has cached when it moves.
// Changing LANGUAGE needs this, as the GNU gettext manual says.
extern "C" int _nl_msg_cat_cntr;

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;

bool IsWithin(const fs::path& path, const fs::path& folder) {
    if (folder.empty()) {
        return false;
    }
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

std::string CatalogueDirectory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        if (IsWithin(program, ZQ3_BUILD_DIR)) {
            return ZQ3_BUILD_LOCALE_DIR;
        }
        // An installation keeps its catalogues in share/locale beside bin/, wherever its prefix.
        const fs::path beside =
            (program.parent_path() / ZQ3_LOCALE_DIR_FROM_BIN_DIR).lexically_normal();
        if (fs::is_directory(beside, error)) {
            return beside;
        }
    }
    return ZQ3_INSTALLED_LOCALE_DIR;
}

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

} // namespace

CTextDomain& CTextDomain::Instance() {
    static CTextDomain domain;
    return domain;
}

CTextDomain::CTextDomain()
    : directory_(CatalogueDirectory()),
      lookupLocale_(newlocale(LC_MESSAGES_MASK, "C.UTF-8", locale_t{})) {
    bindtextdomain(Name, directory_.c_str());
    // The texts are UTF-8 whatever the locale's character set.
    bind_textdomain_codeset(Name, "UTF-8");
}

CTextDomain::~CTextDomain() {
    if (lookupLocale_ != locale_t{}) {
        freelocale(lookupLocale_);
    }
}

void CTextDomain::selectJapanese(bool japanese) {
    if (japanese == japanese_) {
        return;
    }
    if (japanese) {
        userLanguage_ = Variable("LANGUAGE");
        ::setenv("LANGUAGE", "ja", 1);
    } else if (userLanguage_) {
        ::setenv("LANGUAGE", userLanguage_->c_str(), 1);
    } else {
        ::unsetenv("LANGUAGE");
    }
    ++_nl_msg_cat_cntr;
    japanese_ = japanese;
}

const char* CTextDomain::japanese(const char* english) const {
    // Without C.UTF-8 the process's own locale is the last chance: a Japanese one still works.
    const locale_t previous = lookupLocale_ != locale_t{} ? uselocale(lookupLocale_) : locale_t{};
    const char* text = dgettext(Name, english);
    if (previous != locale_t{}) {
        uselocale(previous);
    }
    return text;
}

} // namespace ZQ3
