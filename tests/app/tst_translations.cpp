// The user's translation reaches the windows: a test translation compiled at build time, loaded the way
// the programs load theirs, and seen on the settings window.
#include "LocationsSettingsTab.h"
#include "MacSettingsView.h"
#include "SettingsControls.h"
#include "SettingsTestSupport.h"
#include "Translations.h"
#include "VantaSettingsRoot.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>

using namespace nimbra;
using namespace nimbra::settingstest;

namespace {

QStringList tabTitles(MacSettingsView* view) {
    auto* tabs = view->findChild<QTabWidget*>();
    QStringList titles;
    for (int i = 0; tabs && i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    return titles;
}

QStringList switchNames(MacSettingsView* view) {
    QStringList names;
    for (const auto* toggle : view->findChildren<ToggleSwitch*>())
        names << toggle->accessibleName();
    return names;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        if (!QFile::exists(QStringLiteral(NIMBRA_TEST_TRANSLATIONS "/nimbra_de.qm")))
            QSKIP("lrelease (Debian: qt6-l10n-tools) was not found, so the test translation was not built");
        qputenv("NIMBRA_TRANSLATIONS_DIR", NIMBRA_TEST_TRANSLATIONS);
    }
    // Each case starts from the English texts: a translator removes itself when deleted.
    void cleanup() { qDeleteAll(qApp->findChildren<QTranslator*>()); }

    void aTranslationForTheUsersLanguageIsShown() {
        const QStringList loaded =
            Translations::install(*qApp, {QStringLiteral("de-DE"), QStringLiteral("en")});
        QCOMPARE(loaded.size(), 1);
        QVERIFY(loaded.first().endsWith(QStringLiteral("nimbra_de.qm")));

        SettingsHarness h;
        VantaSettingsRoot root(h.store.get(), SettingsEnvironment{});
        // Translated texts are shown translated, the ones the translation lacks stay English.
        QCOMPARE(tabTitles(root.content()),
                 (QStringList{QStringLiteral("Anzeige"), QStringLiteral("Orte"), QStringLiteral("Sources"),
                              QStringLiteral("About")}));
        QVERIFY(switchNames(root.content()).contains(QStringLiteral("Wetterbeschreibung zeigen")));
        QVERIFY(switchNames(root.content()).contains(QStringLiteral("Show confidence")));
        // A text kept as an English constant is looked up where it is shown.
        auto* locations = root.content()->locationsTab();
        QVERIFY(locations);
        auto* search = locations->findChild<QLineEdit*>();
        QVERIFY(search);
        QCOMPARE(search->placeholderText(), QStringLiteral("Stadt oder Ort suchen"));
    }

    void englishOrAMissingLanguageKeepsTheEnglishTexts() {
        // A user who puts English first gets English even when a later language has a translation.
        QVERIFY(Translations::install(*qApp, {QStringLiteral("en-US"), QStringLiteral("de-DE")}).isEmpty());
        QVERIFY(Translations::install(*qApp, {QStringLiteral("fr-FR")}).isEmpty());
        qputenv("NIMBRA_TRANSLATIONS_DIR", QByteArray(NIMBRA_TEST_TRANSLATIONS "/missing"));
        QVERIFY(Translations::install(*qApp, {QStringLiteral("de-DE")}).isEmpty());

        SettingsHarness h;
        VantaSettingsRoot root(h.store.get(), SettingsEnvironment{});
        QCOMPARE(tabTitles(root.content()).first(), QStringLiteral("Display"));
        QVERIFY(qApp->findChildren<QTranslator*>().isEmpty());
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
