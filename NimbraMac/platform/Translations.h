#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace nimbra {

// Loads the user's translation of Nimbra's texts, and Qt's own for its dialogs and buttons, before any text
// is made. English needs none: the texts in the code are English.
struct Translations {
    // The folder holding nimbra_<language>.qm: NIMBRA_TRANSLATIONS_DIR when set (tests, a build tree),
    // else the installed one.
    static QString directory();

    // Installs, for the first of the user's UI languages that has one, Nimbra's translation from
    // directory() and Qt's from Qt's folder. Returns the Nimbra translation files it loaded (empty when
    // none).
    static QStringList install(QCoreApplication& app);
    // The same for the given languages (for example {"de-DE", "en"}), for tests.
    static QStringList install(QCoreApplication& app, const QStringList& uiLanguages);
};

// The translation of a text kept as an English constant (marked with QT_TRANSLATE_NOOP where it is defined,
// so that lupdate finds it under `context`).
QString translatedText(const char* context, const QString& english);

} // namespace nimbra
