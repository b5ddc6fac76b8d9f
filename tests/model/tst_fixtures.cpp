#include "ConsensusEngine.h"
#include "WeatherFixtures.h"
#include "WeatherFormatting.h"

#include <QTest>

using namespace nimbra;
using K = WeatherProviderKind;

namespace {

const LocalCalendar kKolkata(QTimeZone("Asia/Kolkata"), QLocale(QLocale::English, QLocale::UnitedStates));
// 10:20 in Kolkata.
const QDateTime kNow(QDate(2025, 6, 2), QTime(4, 50), Qt::UTC);

} // namespace

class FixturesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void homeIsMadeOnce() {
        const WeatherLocation first = WeatherFixtures::home();
        QCOMPARE(WeatherFixtures::home(), first);
        QVERIFY(!first.id.isNull());
        QCOMPARE(first.name, "Current Location");
        QVERIFY(first.isCurrentLocation && first.allowsApproximateLocation);
        QCOMPARE(WeatherFixtures::savedLocations(), QList{first});
    }

    void samplesPerKind_data() {
        QTest::addColumn<K>("kind");
        QTest::addColumn<double>("temperature");
        QTest::addColumn<double>("humidity");
        QTest::addColumn<double>("wind");
        QTest::addColumn<double>("chance");
        QTest::newRow("metNorway") << K::metNorway << 19.5 << 0.56 << 13.0 << 0.16;
        QTest::newRow("openWeather") << K::openWeather << 22.5 << 0.59 << 14.0 << 0.28;
        QTest::newRow("nws") << K::nws << 23.5 << 0.60 << 15.0 << 0.20;
    }
    void samplesPerKind() {
        QFETCH(K, kind);
        QFETCH(double, temperature);
        QFETCH(double, humidity);
        QFETCH(double, wind);
        QFETCH(double, chance);
        const ProviderForecast f = WeatherFixtures::forecast(kind, WeatherFixtures::home(), kNow, kKolkata);
        QCOMPARE(f.provider, kind);
        QCOMPARE(f.locationID, WeatherFixtures::home().id);
        QCOMPARE(f.expiresAt, kNow.addSecs(45 * 60));
        QCOMPARE(f.current->temperatureC, temperature);
        QVERIFY(qFuzzyCompare(*f.current->humidity, humidity));
        QCOMPARE(f.current->windKph, wind);
        QVERIFY(qFuzzyCompare(*f.current->precipitationProbability, chance));
        QCOMPARE(f.alerts.size(), kind == K::nws ? 1 : 0);

        // Hours start at the next full local hour: 11:00 to 22:00 in Kolkata for 10:20.
        QCOMPARE(f.hourly.size(), 12);
        QCOMPARE(kKolkata.toLocal(f.hourly.first().date).time(), QTime(11, 0));
        QCOMPARE(kKolkata.toLocal(f.hourly.last().date).time(), QTime(22, 0));
        QCOMPARE(f.hourly[7].precipitationProbability, 0.42);
        QCOMPARE(f.hourly[7].condition, WeatherCondition::partlyCloudy);
        QCOMPARE(f.hourly[8].condition, WeatherCondition::cloudy);

        QCOMPARE(f.daily.size(), 10);
        QCOMPARE(f.daily[2].condition, WeatherCondition::rain);
        QCOMPARE(f.daily[2].precipitationProbability, 0.64);
        QCOMPARE(f.daily[9].date, kNow.addDays(9));
        for (const DailyForecast& d : f.daily)
            QVERIFY(!d.sunrise && !d.sunset);
    }

    void blendOfTheSamples() {
        const QList<ProviderForecast> samples =
            WeatherFixtures::providerForecasts(WeatherFixtures::home(), kNow, kKolkata);
        QCOMPARE(samples.size(), 5);
        const ManualClock clock(kNow);
        const ConsensusForecast c =
            ConsensusEngine::build(WeatherFixtures::home(), samples, {}, kNow, kKolkata, clock);
        QCOMPARE(c.state, ConsensusState::ready);
        QCOMPARE(c.providerCount, 5);
        QVERIFY(qFuzzyCompare(c.confidence, 0.58));
        QVERIFY(qFuzzyCompare(c.current->temperatureC, 21.14186046511628));
        QVERIFY(qFuzzyCompare(*c.current->precipitationProbability, 0.21));
        QVERIFY(c.alerts.isEmpty());
        QCOMPARE(c.hourly.size(), 12);
        QCOMPARE(c.daily.size(), 10);
        QCOMPARE(c.attributionLine,
                 "Weather data by Open-Meteo | Weather data by Apple Weather | Weather data by "
                 "OpenWeather | Weather data by MET Norway | Weather data by Tomorrow.io");
        QCOMPARE(c.nextPrecipitationSummary, "Turning partly cloudy, dry, breezy.");
        QCOMPARE(WeatherFormatting::compactMenuTitle(c, WeatherSettings{}), "70\u00B0 Mostly Clear");
        QCOMPARE(WeatherFormatting::dataQualitySentence(c), "Live \u2022 5 sources \u2022 58% sure");
        QVERIFY(encodeDocument(c));
    }
};

QTEST_GUILESS_MAIN(FixturesTest)
#include "tst_fixtures.moc"
