// The settings window's rules without widgets: value texts and the stepper, the key badge, the location
// rows' texts, the place search over a hand-fired timer and a scripted service, key saving and the binding.

#include "APIKeyEditing.h"
#include "DisplaySettingsModel.h"
#include "MacLocationRow.h"
#include "SettingsBinding.h"
#include "SettingsTestSupport.h"
#include "SourcesSettingsModel.h"

#include <QTest>

#include <limits>

using namespace nimbra;
using namespace nimbra::settingstest;
using namespace std::chrono_literals;

namespace {
using Status = APIKeyCheckStatus;
using Line = LocationSearchController::StatusLine;
using K = WeatherProviderKind;
namespace rows = locationrows;
} // namespace

Q_DECLARE_METATYPE(nimbra::APIKeyCheckStatus)
Q_DECLARE_METATYPE(nimbra::Tint)
Q_DECLARE_METATYPE(nimbra::WeatherLocation)

class SettingsLogicTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizeValueText_data() {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fontKnob");
        QTest::newRow("half rounds up") << 12.5 << "13 pt" << 13;
        QTest::newRow("below half") << 12.49 << "12 pt" << 12;
        QTest::newRow("top of range") << 16.0 << "16 pt" << 16;
        QTest::newRow("above range keeps its text") << 30.0 << "30 pt" << 16;
        QTest::newRow("below range") << 9.4 << "9 pt" << 10;
        QTest::newRow("negative half away from zero") << -0.5 << "-1 pt" << 10;
        QTest::newRow("huge") << 1e300 << "1000000000000000 pt" << 16;
    }
    void sizeValueText() {
        QFETCH(double, stored);
        QTEST(displaysettings::sizeValueText(stored), "text");
        QTEST(displaysettings::sliderPosition(stored, displaysettings::fontSizeRange), "fontKnob");
    }

    void refreshStepper_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        QTest::addColumn<bool>("canUp");
        QTest::addColumn<bool>("canDown");
        QTest::newRow("default") << 30 << 45 << 15 << true << true;
        QTest::newRow("off the grid") << 20 << 35 << 15 << true << true;
        QTest::newRow("lowest") << 15 << 30 << 15 << true << false;
        QTest::newRow("near the top") << 175 << 180 << 160 << true << true;
        QTest::newRow("highest") << 180 << 180 << 165 << false << true;
        QTest::newRow("above range") << 500 << 180 << 485 << false << true;
        QTest::newRow("integer limit") << std::numeric_limits<int>::max() << 180
                                       << std::numeric_limits<int>::max() - 15 << false << true;
        QTest::newRow("negative limit")
            << std::numeric_limits<int>::min() << std::numeric_limits<int>::min() + 15 << 15 << true << false;
    }
    void refreshStepper() {
        QFETCH(int, stored);
        namespace r = displaysettings::refreshinterval;
        QTEST(r::incremented(stored), "up");
        QTEST(r::decremented(stored), "down");
        QTEST(r::canIncrement(stored), "canUp");
        QTEST(r::canDecrement(stored), "canDown");
        QCOMPARE(r::label(stored), QStringLiteral("Refresh every %1 minutes").arg(stored));
    }

    void keyBadge_data() {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("title");
        QTest::addColumn<Tint>("tint");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<bool>("canCheck");
        const QDateTime at(QDate(2025, 3, 10), QTime(14, 5), Qt::UTC);
        QTest::newRow("valid") << Status::valid(at) << "k"
                               << "checkmark.circle.fill"
                               << "Working" << Tint::green << "Checked 14:05" << true;
        QTest::newRow("invalid") << Status::invalid(QStringLiteral("Invalid API key.")) << "k"
                                 << "exclamationmark.triangle.fill"
                                 << "Not working" << Tint::orange << "Invalid API key." << true;
        QTest::newRow("invalid without text") << Status::invalid(QString()) << "k"
                                              << "exclamationmark.triangle.fill"
                                              << "Not working" << Tint::orange << "" << true;
        QTest::newRow("not checked") << Status::notChecked() << "k"
                                     << "questionmark.circle.fill"
                                     << "Not checked" << Tint::secondary << "" << true;
        QTest::newRow("not checked, no key") << Status::notChecked() << ""
                                             << "questionmark.circle.fill"
                                             << "Not checked" << Tint::secondary << "" << false;
        QTest::newRow("missing") << Status::missing() << "k"
                                 << "key.slash.fill"
                                 << "Missing" << Tint::orange << "Enter an API key." << false;
        QTest::newRow("checking") << Status::checking() << "k"
                                  << ""
                                  << "Checking" << Tint::secondary << "" << false;
    }
    void keyBadge() {
        QFETCH(Status, status);
        QFETCH(QString, key);
        QFETCH(QString, detail);
        QFETCH(Tint, tint);
        const auto look = sourcessettings::badgeLook(status);
        QTEST(look.symbolName, "symbol");
        QTEST(look.title, "title");
        QCOMPARE(look.tint, tint);
        const auto line = sourcessettings::detailLine(
            status, LocalCalendar(QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedKingdom)));
        QCOMPARE(line.has_value(), !detail.isEmpty());
        if (line)
            QCOMPARE(*line, (sourcessettings::DetailLine{detail, tint}));
        QTEST(sourcessettings::canCheck(status, key), "canCheck");
    }

    void providerLists() {
        QCOMPARE(sourcessettings::switchableProviders(),
                 (QList<K>{K::openMeteo, K::weatherKit, K::openWeather, K::metNorway, K::tomorrowIO}));
        QCOMPARE(sourcessettings::keyedProviders(), (QList<K>{K::openWeather, K::tomorrowIO}));
    }

    void locationTexts_data() {
        QTest::addColumn<WeatherLocation>("location");
        QTest::addColumn<bool>("needsResolution");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("saved");
        const auto at = [](const QString& name, const QString& subtitle, double lat = 51.5072,
                           double lon = -0.1276) { return found(name, lat, lon, subtitle); };
        QTest::newRow("no subtitle: coordinates") << at("London", "") << false << "51.51, -0.13"
                                                  << "51.51, -0.13";
        QTest::newRow("last piece is the region")
            << at("London", "Greater London, England, United Kingdom") << false << "London, United Kingdom"
            << "Greater London, England, United Kingdom";
        QTest::newRow("last piece is the name") << at("Monaco", "Europe, Monaco") << false << "Europe, Monaco"
                                                << "Europe, Monaco";
        QTest::newRow("blank pieces skipped") << at("Oslo", " Norway ,  , ") << false << "Oslo, Norway"
                                              << " Norway ,  , ";
        QTest::newRow("only commas") << at("X", " , ") << false << " , "
                                     << " , ";
        QTest::newRow("needs resolution")
            << at("Current Location", "Allow", 0, 0) << true << "Location access needed"
            << "Allow";
        QTest::newRow("southern, eastern") << at("Y", "", -33.8688, 151.2093) << false << "-33.87, 151.21"
                                           << "-33.87, 151.21";
    }
    void locationTexts() {
        QFETCH(WeatherLocation, location);
        QFETCH(bool, needsResolution);
        const QLocale english(QLocale::English, QLocale::UnitedKingdom);
        QTEST(rows::currentLocationSubtitle(location, needsResolution, english), "current");
        QTEST(rows::placeSubtitle(location, english), "saved");
        QCOMPARE(rows::coordinateText(found("Z", 51.5072, -0.1276), QLocale(QLocale::German)),
                 QStringLiteral("51,51, -0,13"));
    }

    void locationRows() {
        const auto home = found(QStringLiteral("Current Location"), 0, 0, QString());
        using State = rows::CurrentLocationState;
        const auto waiting = rows::currentLocationRow(home, State{true, false, {}, false});
        QCOMPARE(waiting.detail, std::optional(rows::needsResolutionDetail));
        QCOMPARE(waiting.shownSymbol(), QStringLiteral("location.fill"));
        QCOMPARE(waiting.symbolTint(), Tint::orange);
        QCOMPARE(waiting.detailTint(), Tint::orange);
        const auto selected = rows::currentLocationRow(home, State{true, false, {}, true});
        QCOMPARE(selected.shownSymbol(), QStringLiteral("checkmark.circle.fill"));
        QCOMPARE(selected.symbolTint(), Tint::blue);
        const auto resolving = rows::currentLocationRow(
            home, State{true, true, QStringLiteral("Requesting current location"), false});
        QCOMPARE(resolving.detail, std::optional(QStringLiteral("Requesting current location")));
        const auto resolved = rows::currentLocationRow(found(QStringLiteral("Leeds"), 53.8, -1.55, QString()),
                                                       State{false, false, {}, false});
        QCOMPARE(resolved.detail, std::optional(rows::resolvedDetail));
        QCOMPARE(resolved.symbolTint(), Tint::secondary);

        const auto saved = rows::savedLocationRow(found(QStringLiteral("Paris"), 48.85, 2.35), false);
        QCOMPARE(saved.shownSymbol(), QStringLiteral("mappin.circle.fill"));
        QVERIFY(!saved.showsDetail());
        const auto result = rows::searchResultRow(found(QStringLiteral("Rome"), 41.9, 12.5));
        QCOMPARE(result.shownSymbol(), QStringLiteral("plus.circle.fill"));
        QVERIFY(!result.isSelected && !result.isWarning);
    }

    void duplicateFilter_data() {
        QTest::addColumn<WeatherLocation>("result");
        QTest::addColumn<bool>("kept");
        QTest::newRow("same name and subtitle far away") << found("Paris", 10, 10, "France") << false;
        QTest::newRow("same name, other subtitle") << found("Paris", 33.66, -95.55, "Texas") << true;
        QTest::newRow("within 0.01 in both")
            << found("Other", 48.8566 + 0.0099, 2.3522 - 0.0099, "X") << false;
        QTest::newRow("just over 0.01 away in latitude")
            << found("Other", 48.8566 + 0.0101, 2.3522, "X") << true;
        QTest::newRow("just over 0.01 away in longitude")
            << found("Other", 48.8566, 2.3522 - 0.0101, "X") << true;
        QTest::newRow("near the current location") << found("Leeds", 53.8, -1.55, "Y") << false;
    }
    void duplicateFilter() {
        QFETCH(WeatherLocation, result);
        const QList<WeatherLocation> stored = {
            found(QStringLiteral("Leeds"), 53.8, -1.55, QStringLiteral("England")),
            found(QStringLiteral("Paris"), 48.8566, 2.3522, QStringLiteral("France"))};
        const auto kept = LocationSearchController::withoutStored({result}, stored);
        QTEST(kept.size() == 1, "kept");
    }

    // Typing waits for a pause; only the last text is asked for, and blank text asks for nothing.
    void searchWaitsForAPause() {
        FakeSearch search;
        auto timer = std::make_unique<ManualSingleShotTimer>();
        auto* clock = timer.get();
        LocationSearchController c(search.function(), {}, {}, std::move(timer));
        for (const char* typed : {"Lon", "Lond", "London"})
            c.setText(QString::fromLatin1(typed));
        QVERIFY(c.isSearching());
        QCOMPARE(c.statusText(), QStringLiteral("Searching"));
        QCOMPARE(clock->delay(), 350ms);
        QVERIFY(search.calls.isEmpty());
        QVERIFY(clock->fire());
        QCOMPARE(search.calls.size(), 1);
        QCOMPARE(search.calls[0]->query, QStringLiteral("London"));
        QCOMPARE(search.calls[0]->count, 8);

        c.setText(QStringLiteral("   "));
        QVERIFY(search.calls[0]->cancel->isCancelled());
        QVERIFY(!c.isSearching() && !c.isShowingSearchResults() && !clock->isActive());
        QCOMPARE(c.statusLine(), Line::none);
        search.answer(0, places({found(QStringLiteral("London"), 51.5, -0.12)}));
        QVERIFY(c.results().isEmpty());
    }

    // A changed text leaves no trace of the search before it, whether that one succeeds or fails.
    void staleAnswersAreIgnored() {
        FakeSearch search;
        auto timer = std::make_unique<ManualSingleShotTimer>();
        auto* clock = timer.get();
        LocationSearchController c(search.function(), {}, {}, std::move(timer));
        c.setText(QStringLiteral("Par"));
        clock->fire();
        c.setText(QStringLiteral("Paris"));
        search.answer(0, failure(QStringLiteral("offline")));
        QCOMPARE(c.statusLine(), Line::searching);
        clock->fire();
        c.setText(QStringLiteral("Parma"));
        search.answer(1, places({found(QStringLiteral("Paris"), 48.85, 2.35)}));
        QVERIFY(c.results().isEmpty() && c.isSearching() && !c.error());
        clock->fire();
        search.answer(2, places({found(QStringLiteral("Parma"), 44.8, 10.3)}));
        QCOMPARE(c.results().size(), 1);
        QCOMPARE(c.results()[0].name, QStringLiteral("Parma"));
        QCOMPARE(c.statusLine(), Line::none);
        QVERIFY(!c.isSearching());
    }

    // A failure shows its text until the next search starts; an answer of only stored places says so.
    void failuresAndEmptyAnswers() {
        FakeSearch search;
        auto timer = std::make_unique<ManualSingleShotTimer>();
        auto* clock = timer.get();
        const QList<WeatherLocation> stored = {
            found(QStringLiteral("Paris"), 48.85, 2.35, QStringLiteral("France"))};
        LocationSearchController c(
            search.function(), [&] { return stored; }, {}, std::move(timer));
        c.setText(QStringLiteral("Paris"));
        clock->fire();
        search.answer(0, {{}, LocationSearchError::invalidResponse, {}});
        QCOMPARE(c.statusLine(), Line::error);
        QCOMPARE(c.statusText(), QStringLiteral("Location search did not return usable results."));
        c.setText(QStringLiteral("Paris "));
        QCOMPARE(c.statusText(), QStringLiteral("Searching"));
        QVERIFY(!c.error());
        clock->fire();
        QCOMPARE(search.calls[1]->query, QStringLiteral("Paris"));
        search.answer(
            1, places({found(QStringLiteral("Paris"), 48.855, 2.355, QStringLiteral("Île-de-France"))}));
        QCOMPARE(c.statusText(), QStringLiteral("No matching cities found."));
    }

    // Adding keeps the place and clears the field; leaving the window abandons a search and coming back
    // starts it again.
    void addAndLeave() {
        FakeSearch search;
        auto timer = std::make_unique<ManualSingleShotTimer>();
        auto* clock = timer.get();
        QList<WeatherLocation> added;
        LocationSearchController c(
            search.function(), {}, [&](const WeatherLocation& l) { added.append(l); }, std::move(timer));
        c.setText(QStringLiteral("Rome"));
        clock->fire();
        const auto rome = found(QStringLiteral("Rome"), 41.9, 12.5);
        search.answer(0, places({rome}));
        c.add(rome);
        QCOMPARE(added, QList<WeatherLocation>{rome});
        QVERIFY(c.text().isEmpty() && c.results().isEmpty() && !c.isSearching() && !c.error());
        QVERIFY(!clock->isActive());

        c.setText(QStringLiteral("Oslo"));
        clock->fire();
        c.cancel();
        QVERIFY(search.calls[1]->cancel->isCancelled());
        search.answer(1, places({found(QStringLiteral("Oslo"), 59.9, 10.7)}));
        QVERIFY(c.results().isEmpty() && c.isSearching());
        c.resume();
        QVERIFY(clock->fire());
        search.answer(2, places({found(QStringLiteral("Oslo"), 59.9, 10.7)}));
        QCOMPARE(c.results().size(), 1);
    }

    // Each keystroke changes the key and its badge at once; the keyring is written once typing pauses.
    void keyEditsSaveOnPause() {
        SettingsHarness h;
        auto timer = std::make_unique<ManualSingleShotTimer>();
        auto* clock = timer.get();
        auto editing = std::make_unique<APIKeyEditing>(h.store.get(), std::move(timer));
        editing->edit(QStringLiteral("a"), K::openWeather);
        QCOMPARE(h.store->apiKeyCheckStatus(K::openWeather).kind, Status::Kind::notChecked);
        editing->edit(QStringLiteral(" "), K::openWeather);
        QCOMPARE(h.store->apiKeyCheckStatus(K::openWeather).kind, Status::Kind::missing);
        editing->edit(QStringLiteral("abc "), K::openWeather);
        QCOMPARE(h.store->providerCredentials().openWeatherAPIKey, QStringLiteral("abc"));
        QCOMPARE(h.keychain->itemCount(), 0);
        QCOMPARE(clock->delay(), 500ms);
        QVERIFY(clock->fire());
        QTRY_COMPARE(h.credentials()->load().openWeatherAPIKey, QStringLiteral("abc"));
        QVERIFY(!editing->hasUnsavedEdit());

        editing->edit(QStringLiteral("tm"), K::tomorrowIO);
        editing.reset(); // the window went away before the pause
        QTRY_COMPARE(h.credentials()->load().tomorrowIOAPIKey, QStringLiteral("tm"));
        QTRY_VERIFY(!h.store->isWaitingForKeyring());
        QCOMPARE(h.persists(), 0);
    }

    // Every write assigns and persists once, equal values and present providers included.
    void bindingWritesOncePerAction() {
        SettingsHarness h;
        const SettingsBinding binding(h.store.get());
        int changes = 0;
        connect(h.store.get(), &WeatherStore::objectWillChange, this, [&] { ++changes; });
        binding.write(&WeatherSettings::menuBarFontSize, h.store->settings().menuBarFontSize);
        QCOMPARE(h.persists(), 1);
        QCOMPARE(changes, 1);
        binding.setProviderEnabled(K::openMeteo, true);
        QCOMPARE(h.persists(), 2);
        QVERIFY(binding.isProviderEnabled(K::openMeteo));
        ProviderSet expected = h.store->settings().enabledProviders;
        expected.remove(K::metNorway);
        binding.setProviderEnabled(K::metNorway, false);
        QCOMPARE(h.store->settings().enabledProviders, expected);
        binding.write(&WeatherSettings::refreshIntervalMinutes, 20);
        QCOMPARE(h.store->settings().refreshIntervalMinutes, 20);
        QCOMPARE(h.persists(), 4);
    }
};

QTEST_MAIN(SettingsLogicTest)
#include "tst_settings_logic.moc"
