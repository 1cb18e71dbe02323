#pragma once

#include <QString>
#include <QStringList>

// The language of every word the program shows: the session's, where the program carries a
// translation for it, English otherwise. Numbers keep their own notation (LC_NUMERIC), so English
// words with decimal commas stay possible.
namespace hopsmeld {

// The first of the session's languages `preferred`, as Qt lists them (from LANGUAGE, else from
// the messages locale), that is English or one of `shipped`; "" for English. A messages locale
// (LC_ALL, LC_MESSAGES or LANG, the first set) of C or POSIX asks for the untranslated texts
// whatever LANGUAGE says, as for every program translated with gettext.
QString chooseLanguage(const QString& messages, const QStringList& preferred,
                       const QStringList& shipped);
// The same for this session and what lies beside the program.
QString sessionLanguage();

// The languages whose translation lies beside the program, as "de" or "pt_BR".
QStringList shippedLanguages();

// Loads the program's translation for `language`, and Qt's own for its dialogs and context
// menus where the desktop has them installed; "" goes back to English.
void useLanguage(const QString& language);
QString languageInUse();

} // namespace hopsmeld
