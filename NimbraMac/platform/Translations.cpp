#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifndef NIMBRA_TRANSLATIONS_DIR
#define NIMBRA_TRANSLATIONS_DIR "/usr/local/share/nimbra/translations"
#endif

namespace nimbra {

namespace {

// The translator lives as long as the application; a failed load leaves nothing behind.
const QTranslator* installTranslator(QCoreApplication& app, const QLocale& locale, const QString& name,
                                     const QString& folder) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace

QString Translations::directory() {
    const QString overridden = qEnvironmentVariable("NIMBRA_TRANSLATIONS_DIR");
    return overridden.isEmpty() ? QStringLiteral(NIMBRA_TRANSLATIONS_DIR) : overridden;
}

QStringList Translations::install(QCoreApplication& app) {
    return install(app, QLocale::system().uiLanguages());
}

QStringList Translations::install(QCoreApplication& app, const QStringList& uiLanguages) {
    QStringList loaded;
    const QString folder = directory();
    for (const QString& language : uiLanguages) {
        const QLocale locale(language);
        // English is the source language: a user preferring it before another gets the code's texts.
        if (locale.language() == QLocale::English)
            break;
        const QTranslator* translator = installTranslator(app, locale, QStringLiteral("nimbra"), folder);
        if (translator == nullptr)
            continue;
        loaded << translator->filePath();
        installTranslator(app, locale, QStringLiteral("qtbase"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        break;
    }
    return loaded;
}

QString translatedText(const char* context, const QString& english) {
    return QCoreApplication::translate(context, english.toUtf8().constData());
}

} // namespace nimbra
