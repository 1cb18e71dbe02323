#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace hopsmeld {

namespace {

const QString kPrefix = QStringLiteral("merow-hopsmeld-helper_");

QString translationsFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

struct Loaded {
    QString language;
    std::unique_ptr<QTranslator> ours, qts;
};
Loaded& loaded() {
    static Loaded state;
    return state;
}

} // namespace

QString chooseLanguage(const QString& messages, const QStringList& preferred,
                       const QStringList& shipped) {
    if (messages.isEmpty() || messages == QLatin1String("POSIX") ||
        messages.section(QLatin1Char('.'), 0, 0) == QLatin1String("C"))
        return QString();
    for (const QString& tag : preferred) {
        // "de-AT" is "de" unless Austrian German has a translation of its own.
        const QString full = QString(tag).replace(QLatin1Char('-'), QLatin1Char('_'));
        const QString language = tag.section(QLatin1Char('-'), 0, 0);
        if (language == QLatin1String("en"))
            return QString();
        if (shipped.contains(full))
            return full;
        if (shipped.contains(language))
            return language;
    }
    return QString();
}

QString sessionLanguage() {
    QString messages;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (messages.isEmpty())
            messages = qEnvironmentVariable(variable);
    return chooseLanguage(messages, QLocale::system().uiLanguages(), shippedLanguages());
}

QStringList shippedLanguages() {
    QStringList languages;
    for (const QString& file :
         QDir(translationsFolder()).entryList({kPrefix + QStringLiteral("*.qm")}, QDir::Files))
        languages << file.mid(kPrefix.size()).chopped(3);
    return languages;
}

void useLanguage(const QString& language) {
    Loaded& state = loaded();
    for (auto* translator : {state.ours.get(), state.qts.get()})
        if (translator)
            QCoreApplication::removeTranslator(translator);
    state = Loaded{language, nullptr, nullptr};
    if (language.isEmpty())
        return;
    state.ours = std::make_unique<QTranslator>();
    if (state.ours->load(kPrefix + language, translationsFolder()))
        QCoreApplication::installTranslator(state.ours.get());
    // Qt's own texts: the line edits' context menu, the message box's button.
    state.qts = std::make_unique<QTranslator>();
    if (state.qts->load(QStringLiteral("qtbase_") + language,
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(state.qts.get());
}

QString languageInUse() {
    return loaded().language;
}

} // namespace hopsmeld
