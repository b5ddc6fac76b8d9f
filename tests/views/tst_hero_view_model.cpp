#include "HeroViewModel.h"

#include <QCoreApplication>
#include <QHash>
#include <QTest>
#include <QTranslator>

using namespace nimbra;

namespace {

const QDateTime kNow(QDate(2025, 6, 18), QTime(14, 20), Qt::UTC);
const LocalCalendar kCalendar(QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedStates));

QDateTime at(int hour, int minute = 0, int dayOffset = 0) {
    return QDateTime(QDate(2025, 6, 18).addDays(dayOffset), QTime(hour, minute), Qt::UTC);
}

DailyForecast day(std::optional<QDateTime> sunrise, std::optional<QDateTime> sunset) {
    DailyForecast d;
    d.date = sunrise ? *sunrise : kNow;
    d.sunrise = sunrise;
    d.sunset = sunset;
    return d;
}

WeatherSample current() {
    WeatherSample s;
    s.date = kNow;
    s.temperatureC = 21.5;
    s.condition = WeatherCondition::cloudy;
    return s;
}

ConsensusForecast forecast() {
    ConsensusForecast f;
    f.location.name = QStringLiteral("London");
    f.location.subtitle = QStringLiteral("Greater London, England, United Kingdom");
    f.generatedAt = kNow;
    f.current = current();
    f.providerCount = 3;
    f.confidence = 0.834;
    f.state = ConsensusState::ready;
    f.nextPrecipitationSummary = QStringLiteral("Cloudy, breezy, humid, rain likely after 3 PM.");
    return f;
}

// A translation held in memory, keyed by "context|source".
class TableTranslator final : public QTranslator {
public:
    explicit TableTranslator(QHash<QString, QString> table) : m_table(std::move(table)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* = nullptr,
                      int = -1) const override {
        return m_table.value(QString::fromUtf8(context) + u'|' + QString::fromUtf8(source));
    }

private:
    QHash<QString, QString> m_table;
};

} // namespace

class HeroViewModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void summarySentence_data() {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title dropped, two descriptors joined")
            << "Cloudy, breezy, humid, rain likely after 3 PM."
            << "Cloudy"
            << "Breezy and humid, rain likely after 3 PM.";
        QTest::newRow("nothing left keeps the text") << "cloudy."
                                                     << "Cloudy"
                                                     << "cloudy.";
        QTest::newRow("blanks only") << "  \n\t "
                                     << "Clear"
                                     << "Waiting for a forecast";
        QTest::newRow("one descriptor, rest keeps its case") << "breezy, Rain after 5 PM"
                                                             << "Clear"
                                                             << "Breezy, Rain after 5 PM.";
        QTest::newRow("only the first two join") << "humid, windy, dry"
                                                 << "Clear"
                                                 << "Humid and windy, dry.";
        QTest::newRow("two-word descriptor") << "Partly Cloudy, dry, light winds."
                                             << "Partly Cloudy"
                                             << "Dry and light winds.";
        QTest::newRow("descriptors compared lower-cased, case kept") << " , ,Light Winds, Muggy "
                                                                     << "Rain"
                                                                     << "Light Winds and Muggy.";
        QTest::newRow("single phrase gains a period") << "Refresh to fetch live weather"
                                                      << ""
                                                      << "Refresh to fetch live weather.";
        QTest::newRow("periods only") << "..."
                                      << "Clear"
                                      << "...";
        QTest::newRow("title removed once") << "Cloudy, cloudy, rain"
                                            << "Cloudy"
                                            << "Cloudy, rain.";
        QTest::newRow("no current never matches") << "rain, dry"
                                                  << ""
                                                  << "Rain, dry.";
        QTest::newRow("inner periods stay") << "Rain at 3 p.m., dry later"
                                            << "Clear"
                                            << "Rain at 3 p.m., dry later.";
    }

    void summarySentence() {
        QFETCH(QString, summary);
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        QCOMPARE(heroSummarySentence(summary, condition), expected);
    }

    void region_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QString>("expected"); // empty: no region
        QTest::newRow("last piece") << "London"
                                    << "Greater London, England, United Kingdom"
                                    << "United Kingdom";
        QTest::newRow("equal to the name") << "Oslo"
                                           << "Oslo"
                                           << "";
        QTest::newRow("last piece equal to the name") << "London"
                                                      << "Camden, London"
                                                      << "";
        QTest::newRow("lone comma") << "Oslo"
                                    << ","
                                    << "";
        QTest::newRow("empty") << "Oslo"
                               << ""
                               << "";
        QTest::newRow("case-sensitive") << "london"
                                        << "London"
                                        << "London";
        QTest::newRow("trailing blanks and empty pieces") << "Paris"
                                                          << "Paris,\n Île-de-France \n, ,"
                                                          << "Île-de-France";
    }

    void region() {
        QFETCH(QString, name);
        QFETCH(QString, subtitle);
        QFETCH(QString, expected);
        WeatherLocation location;
        location.name = name;
        location.subtitle = subtitle;
        QCOMPARE(heroRegion(location).value_or(QString()), expected);
    }

    void nextSunEvent_data() {
        QTest::addColumn<QList<DailyForecast>>("daily");
        QTest::addColumn<QString>("title"); // empty: none
        QTest::addColumn<QDateTime>("date");
        QTest::newRow("sunrise passed, sunset ahead") << QList{day(at(5), at(21))} << "Sunset" << at(21);
        QTest::newRow("today over, tomorrow's sunrise")
            << QList{day(at(5), at(13)), day(at(5, 1, 1), at(21, 0, 1))} << "Sunrise" << at(5, 1, 1);
        QTest::newRow("nothing ahead") << QList{day(at(5), at(13))} << "" << QDateTime();
        QTest::newRow("missing events") << QList{day(std::nullopt, std::nullopt)} << "" << QDateTime();
        QTest::newRow("now itself counts") << QList{day(at(5), at(14, 20))} << "Sunset" << at(14, 20);
        QTest::newRow("earliest wins whatever the order")
            << QList{day(at(5, 0, 2), at(21, 0, 2)), day(at(5, 0, 1), at(21, 0, 1))} << "Sunrise"
            << at(5, 0, 1);
        QTest::newRow("first of equal dates") << QList{day(at(16), at(16))} << "Sunrise" << at(16);
    }

    void nextSunEvent() {
        QFETCH(QList<DailyForecast>, daily);
        QFETCH(QString, title);
        QFETCH(QDateTime, date);
        const auto event = nimbra::nextSunEvent(daily, kNow);
        QCOMPARE(event.has_value(), !title.isEmpty());
        if (event) {
            QCOMPARE(event->title, title);
            QCOMPARE(event->date, date);
        }
    }

    void metricItems_data() {
        QTest::addColumn<bool>("hasCurrent");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("no current") << false << false << QStringList{} << QStringList{};
        QTest::newRow("bare current") << true << false << QStringList{"Rain"} << QStringList{"--%"};
        QTest::newRow("everything, cut to four")
            << true << true << QStringList{"Rain", "Wind", "Humidity", "Sunset"}
            << QStringList{"35%", "12 mph", "63%", "9:05 PM"};
    }

    void metricItems() {
        QFETCH(bool, hasCurrent);
        QFETCH(bool, complete);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, values);
        std::optional<WeatherSample> sample;
        QList<DailyForecast> daily;
        if (hasCurrent) {
            sample = current();
            if (complete) {
                sample->precipitationProbability = 0.35;
                sample->windKph = 20;
                sample->humidity = 0.625;
                daily = {day(at(5), at(21, 5))};
            }
        }
        const auto items = heroMetricItems(sample, daily, WeatherSettings{}, kNow, kCalendar);
        QStringList gotTitles, gotValues;
        for (const auto& item : items) {
            gotTitles << item.title;
            gotValues << item.value;
        }
        QCOMPARE(gotTitles, titles);
        QCOMPARE(gotValues, values);
        if (complete) {
            QCOMPARE(items[0].systemImage, QStringLiteral("drop.fill"));
            QCOMPARE(items[0].tint, ColorToken::of(Tint::blue));
            QCOMPARE(items[2].systemImage, QStringLiteral("humidity.fill"));
            QCOMPARE(items[3].systemImage, QStringLiteral("sunset.fill"));
            QCOMPARE(items[3].tint, ColorToken::of(Tint::yellow));
        }
    }

    void placeholdersWithoutData() {
        const WeatherSettings settings;
        const HeroViewModel none =
            buildHeroViewModel(std::nullopt, settings, WeatherHeroPresentation::macPopover, kNow, kCalendar);
        QCOMPARE(none.title, QStringLiteral("Nimbra"));
        QVERIFY(!none.region);
        QCOMPARE(none.iconCondition, WeatherCondition::unknown);
        QCOMPARE(none.temperature, QStringLiteral("--\u00B0"));
        QCOMPARE(none.conditionTitle, QStringLiteral("No Reading"));
        QVERIFY(!none.feelsLike);
        QVERIFY(none.metricItems.isEmpty());
        QCOMPARE(none.summary, QStringLiteral("Waiting for a forecast"));
        QVERIFY(!none.statusLine);

        // Without a current sample the place, summary and status stay; the current readings do not.
        ConsensusForecast f = forecast();
        f.current.reset();
        const HeroViewModel partial =
            buildHeroViewModel(f, settings, WeatherHeroPresentation::macPopover, kNow, kCalendar);
        QCOMPARE(partial.title, QStringLiteral("London"));
        QCOMPARE(*partial.region, QStringLiteral("United Kingdom"));
        QCOMPARE(partial.temperature, QStringLiteral("--\u00B0"));
        QCOMPARE(partial.conditionTitle, QStringLiteral("No Reading"));
        QVERIFY(partial.metricItems.isEmpty());
        // No condition title to drop: the first phrase stays.
        QCOMPARE(partial.summary, QStringLiteral("Cloudy, breezy, humid, rain likely after 3 PM."));
        QCOMPARE(*partial.statusLine, QStringLiteral("Live \u2022 3 sources \u2022 83% sure"));
    }

    void currentReadingsInTheSettingsUnits() {
        ConsensusForecast f = forecast();
        f.current->apparentTemperatureC = 21.5;
        WeatherSettings settings;
        settings.temperatureUnit = TemperatureUnit::celsius;
        const HeroViewModel vm =
            buildHeroViewModel(f, settings, WeatherHeroPresentation::standard, kNow, kCalendar);
        QCOMPARE(vm.temperature, QStringLiteral("22\u00B0"));
        // Shown even when it equals the temperature.
        QCOMPARE(*vm.feelsLike, QStringLiteral("Feels 22\u00B0"));
        QCOMPARE(vm.iconCondition, WeatherCondition::cloudy);
        QCOMPARE(vm.summary, QStringLiteral("Breezy and humid, rain likely after 3 PM."));
        QCOMPARE(vm.metrics.iconSize, 66.0);
        QCOMPARE(vm.temperatureStyle.font.pixelSize, 46.0);
        QVERIFY(vm.temperatureStyle.font.monospacedDigits);
        const HeroViewModel popover =
            buildHeroViewModel(f, settings, WeatherHeroPresentation::macPopover, kNow, kCalendar);
        QCOMPARE(popover.metrics.iconFrame, 78.0);
        QCOMPARE(popover.temperatureStyle.font.pixelSize, 51.0);
    }

    // A translated next-hours summary is still shortened and joined, and the sun event keeps its symbol.
    void translatedTexts() {
        TableTranslator german({
            {QStringLiteral("WeatherCondition|Cloudy"), QStringLiteral("Bewölkt")},
            {QStringLiteral("ConsensusEngine|breezy"), QStringLiteral("windig")},
            {QStringLiteral("HeroViewModel|humid"), QStringLiteral("schwül")},
            {QStringLiteral("HeroViewModel|%1 and %2"), QStringLiteral("%1 und %2")},
            {QStringLiteral("HeroViewModel|Feels %1"), QStringLiteral("Gefühlt %1")},
            {QStringLiteral("HeroViewModel|Sunrise"), QStringLiteral("Sonnenaufgang")},
            {QStringLiteral("HeroViewModel|Rain"), QStringLiteral("Regen")},
        });
        QVERIFY(QCoreApplication::installTranslator(&german));
        ConsensusForecast f = forecast();
        f.current->apparentTemperatureC = 20;
        f.nextPrecipitationSummary = QStringLiteral("Bewölkt, windig, schwül, Regen wahrscheinlich.");
        f.daily = {day(at(15), at(21))};
        WeatherSettings settings;
        settings.temperatureUnit = TemperatureUnit::celsius;
        const HeroViewModel vm =
            buildHeroViewModel(f, settings, WeatherHeroPresentation::standard, kNow, kCalendar);
        QCoreApplication::removeTranslator(&german);

        QCOMPARE(vm.conditionTitle, QStringLiteral("Bewölkt"));
        QCOMPARE(*vm.feelsLike, QStringLiteral("Gefühlt 20\u00B0"));
        QCOMPARE(vm.summary, QStringLiteral("Windig und schwül, Regen wahrscheinlich."));
        QCOMPARE(vm.metricItems.size(), 2);
        QCOMPARE(vm.metricItems[0].title, QStringLiteral("Regen"));
        QCOMPARE(vm.metricItems[1].title, QStringLiteral("Sonnenaufgang"));
        QCOMPARE(vm.metricItems[1].systemImage, QStringLiteral("sunrise.fill"));
    }
};

QTEST_GUILESS_MAIN(HeroViewModelTest)
#include "tst_hero_view_model.moc"
