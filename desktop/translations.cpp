#include "desktop/translations.h"

#include "app/message_catalogue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace ZQ3::Desktop {
namespace {

struct CInstalled {
    std::unique_ptr<QTranslator> own;
    std::unique_ptr<QTranslator> qt;
};

CInstalled& Installed() {
    static CInstalled installed;
    return installed;
}

void RemoveAll() {
    CInstalled& installed = Installed();
    for (auto* translator : {&installed.own, &installed.qt}) {
        if (*translator) {
            QCoreApplication::removeTranslator(translator->get());
            translator->reset();
        }
    }
}

} // namespace

bool InstallTranslations(int language) {
    RemoveAll();
    ZQ3::MessageCatalogue::Instance().fill(language);
    if (language != ZQ3::LanguageJapanese) {
        return true;
    }
    CInstalled& installed = Installed();
    // Qt's own button and dialog texts come from the system's Qt translations when they are
    // installed; without them those texts stay English.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        installed.qt = std::move(qt);
    }
    auto own = std::make_unique<QTranslator>();
    if (!own->load(QStringLiteral(":/translations/zq3_desktop_ja.qm"))) {
        return false;
    }
    QCoreApplication::installTranslator(own.get());
    installed.own = std::move(own);
    return true;
}

bool InstallTranslationsForLocale() {
    return InstallTranslations(ZQ3::LanguageFromEnvironment());
}

} // namespace ZQ3::Desktop
