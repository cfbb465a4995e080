#pragma once

class QCoreApplication;

namespace ZQ3::Desktop {

// Puts the program's texts and Qt's own dialog texts into language (ZQ3::LanguageEnglish or
// ZQ3::LanguageJapanese) and chooses the message catalogue's language to match; English needs
// no translation and removes any installed one. False when a Japanese translation of the
// program's own is missing; Qt's own translations are optional.
bool InstallTranslations(int language);

// The same for the language the locale asks for (LC_ALL, LC_MESSAGES, LANG).
bool InstallTranslationsForLocale();

} // namespace ZQ3::Desktop
