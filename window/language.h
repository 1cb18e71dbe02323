#pragma once

#include <QString>
#include <QStringList>

// The language of every word the program shows: the session's, where the program carries a
// translation for it, English otherwise. Numbers keep their own notation (LC_NUMERIC), so English
// words with decimal commas stay possible.
namespace hopsmeld {

// The first of the session's languages, in the order Qt lists them (LANGUAGE, then LC_ALL,
// LC_MESSAGES or LANG), that is English or one of `shipped`; "" for English.
QString chooseLanguage(const QStringList& sessionLanguages, const QStringList& shipped);

// The languages whose translation lies beside the program, as "de" or "pt_BR".
QStringList shippedLanguages();

// Loads the program's translation for `language`, and Qt's own for its dialogs and context
// menus where the desktop has them installed; "" goes back to English.
void useLanguage(const QString& language);
QString languageInUse();

} // namespace hopsmeld
