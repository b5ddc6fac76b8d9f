#include "ConsensusEngine.h"
#include "MostFrequentCondition.h"
#include "ProviderWeighting.h"
#include "WeatherFormatting.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace nimbra;
using K = WeatherProviderKind;
using C = WeatherCondition;
using Opt = std::optional<double>;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const QDateTime kNow(QDate(2025, 3, 10), QTime(14, 20), Qt::UTC);
const LocalCalendar kUTC(QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedStates));

WeatherSample sample(const QDateTime& date, double temperature, C condition = C::cloudy, Opt chance = {},
                     Opt wind = {}) {
    return {date, temperature, std::nullopt, std::nullopt, wind, condition, chance, std::nullopt};
}

ProviderForecast forecast(K kind, std::optional<WeatherSample> current, qint64 expiresIn = 1800,
                          QList<WeatherSample> hourly = {}, QString attribution = {}) {
    return {kind,
            {},
            kNow,
            kNow.addSecs(expiresIn),
            attribution.isEmpty() ? rawValue(kind) : attribution,
            current,
            hourly,
            {},
            {},
            std::nullopt};
}

QList<WeatherSample> hoursFrom(const QDateTime& start, int count, Opt chance, double temperature = 10) {
    QList<WeatherSample> out;
    for (int h = 0; h < count; ++h)
        out.append(sample(start.addSecs(h * 3600), temperature, C::cloudy, chance, 5.0));
    return out;
}

ConsensusForecast build(const QList<ProviderForecast>& forecasts, const AccuracyScores& scores = {}) {
    static const ManualClock clock(kNow.addSecs(7));
    WeatherLocation location;
    location.updatedAt = kNow;
    return ConsensusEngine::build(location, forecasts, scores, kNow, kUTC, clock);
}

bool readsBack(const ConsensusForecast& c) {
    const auto bytes = encodeDocument(c);
    return bytes && decodeDocument<ConsensusForecast>(*bytes);
}

bool fuzzyEqual(Opt a, Opt b) {
    return a.has_value() == b.has_value() && (!a || qFuzzyCompare(*a, *b));
}

} // namespace

class ConsensusTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void weights() {
        struct Row {
            int samples;
            double error, factor;
        };
        for (const Row& r : {Row{4, 0.1, 1.0}, Row{5, 0.5, 1.25}, Row{9, -1.0, 1.25}, Row{5, 1.6, 1.25},
                             Row{5, 2.0, 1.0}, Row{5, 3.0, 2.0 / 3.0}, Row{5, 4.0, 0.55}, Row{50, kNaN, 1.0}})
            QCOMPARE(weightAdjustment({K::openMeteo, r.samples, r.error}), r.factor);
        const AccuracyScores scores{{K::metNorway, {K::metNorway, 10, 4.0}}};
        QCOMPARE(providerWeight(K::openMeteo, scores), 0.9);
        // A damped provider pulls the current temperature less.
        const auto a = forecast(K::openMeteo, sample(kNow, 10)), b = forecast(K::metNorway, sample(kNow, 20));
        QCOMPARE(build({a, b}).current->temperatureC, (10 * 0.9 + 20 * 0.78) / (0.9 + 0.78));
        QCOMPARE(build({a, b}, scores).current->temperatureC, (10 * 0.9 + 20 * 0.429) / (0.9 + 0.429));

        QCOMPARE(ConsensusEngine::weightedMean({{10, 1.0}, {20, 3.0}}), 17.5);
        QCOMPARE(ConsensusEngine::weightedMean({{10, 0}, {20, 0}}), std::nullopt);
        QCOMPARE(ConsensusEngine::weightedMean({{10, 1.0}, {kNaN, 1.0}, {kInf, 2.0}, {30, kNaN}}), 10.0);
        QCOMPARE(ConsensusEngine::weightedMean({{1e308, 1.0}, {1e308, 1.0}}), std::nullopt);
    }

    void medianAndPrecipitationBlend_data() {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<Opt>("median");
        QTest::addColumn<Opt>("blend");
        QTest::newRow("empty") << QList<double>{} << Opt() << Opt();
        QTest::newRow("odd") << QList<double>{0.9, 0.0, 0.2} << Opt(0.2) << Opt(0.41);
        QTest::newRow("even") << QList<double>{0.5, 0.1, 0.3, 0.2} << Opt(0.25) << Opt(0.36);
        QTest::newRow("two give the higher") << QList<double>{0.1, 0.6} << Opt(0.35) << Opt(0.6);
        QTest::newRow("NaN and infinities are absent")
            << QList<double>{kNaN, 3, -kInf, 1, kInf, 2, kNaN} << Opt(2.0) << Opt(2.3);
        QTest::newRow("only NaN") << QList<double>{kNaN, kNaN} << Opt() << Opt();
        QTest::newRow("no overflow") << QList<double>{1.5e308, 1.7e308} << Opt(1.6e308) << Opt(1.7e308);
    }
    void medianAndPrecipitationBlend() {
        QFETCH(QList<double>, values);
        QFETCH(Opt, median);
        QFETCH(Opt, blend);
        QVERIFY2(fuzzyEqual(ConsensusEngine::median(values), median), "median");
        QVERIFY2(fuzzyEqual(ConsensusEngine::precipitationBlend(values), blend), "precipitation blend");
    }

    void blendedChanceAtAThresholdReadsAsShown() {
        for (const double p : {0.1, 0.2, 0.4, 0.64, 0.65, 0.8}) {
            for (int n = 1; n <= 5; ++n)
                QCOMPARE(ConsensusEngine::precipitationBlend(QList<double>(n, p)), p);
        }
        // Agreeing providers give back their exact chance; disagreeing ones whose blend is a threshold in
        // exact arithmetic (0.02 + 0.3 * 0.6, 0.37 + 0.3 * 0.1) fall a hair short in floating point. Either
        // way the phrase must match the percent shown beside it.
        struct Row {
            QList<double> chances;
            const char* percent;
            const char* phrase;
        };
        for (const Row& row :
             {Row{{0.2, 0.2, 0.2}, "20%", "low rain risk"}, Row{{0.65, 0.65, 0.65}, "65%", "rain likely"},
              Row{{0.0, 0.02, 0.62}, "20%", "low rain risk"},
              Row{{0.30, 0.37, 0.47}, "40%", "showers possible"}, Row{{0.0, 0.1, 0.3}, "16%", "dry"}}) {
            QList<ProviderForecast> forecasts;
            const K kinds[] = {K::openMeteo, K::weatherKit, K::metNorway};
            for (qsizetype i = 0; i < row.chances.size(); ++i)
                forecasts.append(forecast(kinds[i], sample(kNow, 10), 1800,
                                          hoursFrom(kNow.addSecs(2400), 6, row.chances[i])));
            const ConsensusForecast blended = build(forecasts);
            QCOMPARE(
                WeatherFormatting::precipitationProbability(blended.hourly.first().precipitationProbability),
                QLatin1String(row.percent));
            QVERIFY2(blended.nextPrecipitationSummary.contains(QLatin1String(row.phrase)),
                     qPrintable(blended.nextPrecipitationSummary));
        }
        // Wind and temperature ends are compared the same way: 2.3 - 0.3 is 2 less one unit in the last
        // place.
        QCOMPARE(ConsensusEngine::nextPrecipitationSummary(
                     sample(kNow, 0), {sample(kNow, 0.3, C::cloudy, 0.0, 11.9999999999),
                                       sample(kNow.addSecs(3600), 2.3, C::cloudy, 0.0, 1.0)}),
                 QStringLiteral("Cloudy, dry, breezy, warming later."));
    }

    void voteAndConfidence() {
        // Among tied conditions the first one seen wins, whatever the hash order.
        QCOMPARE(mostFrequentCondition({}), C::unknown);
        QCOMPARE(mostFrequentCondition({C::cloudy, C::rain, C::rain, C::cloudy}), C::cloudy);
        QCOMPARE(mostFrequentCondition({C::rain, C::cloudy, C::cloudy, C::rain}), C::rain);
        QCOMPARE(mostFrequentCondition({C::fog, C::unknown, C::unknown}), C::unknown);

        const ForecastSpread agreed{0, 0.0, 0.0};
        QVERIFY(qFuzzyCompare(ConsensusEngine::confidence(1, agreed, true), 0.575));
        QVERIFY(qFuzzyCompare(ConsensusEngine::confidence(7, agreed, true), 0.95));
        QVERIFY(qFuzzyCompare(ConsensusEngine::confidence(2, ForecastSpread{1.2, 9.0, 0.05}, true), 0.55));
        QVERIFY(qFuzzyCompare(ConsensusEngine::confidence(12, ForecastSpread{40, 99.0, 1.0}, true), 0.45));
        QCOMPARE(ConsensusEngine::confidence(1, agreed, false), 0.35);
        QCOMPARE(ConsensusEngine::confidence(4, ForecastSpread{kNaN, kNaN, kNaN}, true), 0.95);
    }

    void forecastSelection_data() {
        QTest::addColumn<QList<ProviderForecast>>("forecasts");
        QTest::addColumn<ConsensusState>("state");
        QTest::addColumn<QString>("attribution");
        const auto ok = [](K k, qint64 expires = 1800) { return forecast(k, sample(kNow, 10), expires); };
        auto failed = ok(K::openWeather);
        failed.errorMessage = QString(); // an empty message is still a failure
        const auto noCurrent = forecast(K::tomorrowIO, std::nullopt, 1800, hoursFrom(kNow, 24, 0.9));
        QTest::newRow("nothing") << QList<ProviderForecast>{} << ConsensusState::unavailable
                                 << "No active weather source";
        QTest::newRow("only failures")
            << QList{failed, noCurrent} << ConsensusState::unavailable << "No active weather source";
        QTest::newRow("two fresh, one expired")
            << QList{ok(K::openMeteo), ok(K::metNorway, -1), ok(K::weatherKit)} << ConsensusState::partial
            << "openMeteo | weatherKit";
        QTest::newRow("expiring now is fresh")
            << QList{ok(K::openMeteo, 0), ok(K::weatherKit), failed, noCurrent, ok(K::metNorway)}
            << ConsensusState::ready << "openMeteo | weatherKit | metNorway";
        QTest::newRow("only expired") << QList{ok(K::openMeteo, -60), noCurrent, ok(K::metNorway, -1)}
                                      << ConsensusState::stale << "openMeteo | metNorway";
    }
    void forecastSelection() {
        QFETCH(QList<ProviderForecast>, forecasts);
        QFETCH(ConsensusState, state);
        QFETCH(QString, attribution);
        const ConsensusForecast c = build(forecasts);
        QCOMPARE(c.state, state);
        QCOMPARE(c.providerCount, attribution.count(u'|') + (c.current ? 1 : 0));
        QCOMPARE(c.attributionLine, attribution);
        QCOMPARE(c.generatedAt, kNow.addSecs(7));
        // The forecast without current conditions gives nothing, not even its complete hours.
        QVERIFY(c.hourly.isEmpty());
        if (state == ConsensusState::unavailable) {
            QCOMPARE(c.nextPrecipitationSummary, "No forecast available");
            QVERIFY(!c.current && !c.spread && c.confidence == 0.0);
        }
        if (state == ConsensusState::stale)
            QCOMPARE(c.confidence, 0.35);
    }

    void attributionsAndAlerts() {
        const auto alert = [](WeatherAlertSeverity severity, QString title) {
            return WeatherAlert{QUuid::createUuid(), K::nws, title, {}, severity, kNow, kNow, std::nullopt};
        };
        auto a = forecast(K::openMeteo, sample(kNow, 10), 1800, {}, "A");
        auto b = forecast(K::weatherKit, sample(kNow, 10), 1800, {}, "B");
        auto c = forecast(K::metNorway, sample(kNow, 10), 1800, {}, "A");
        a.alerts = {alert(WeatherAlertSeverity::minor, "first minor")};
        b.alerts = {alert(WeatherAlertSeverity::extreme, "extreme"),
                    alert(WeatherAlertSeverity::minor, "second")};
        c.alerts = {alert(WeatherAlertSeverity::moderate, "moderate")};
        const ConsensusForecast blended = build({a, b, c});
        QCOMPARE(blended.attributionLine, "A | B");
        QStringList titles;
        for (const WeatherAlert& x : blended.alerts)
            titles.append(x.title);
        QCOMPARE(titles, (QStringList{"extreme", "moderate", "first minor", "second"}));
    }

    void hourlyTimeBaseAndMatching() {
        const QDateTime start = kNow.addSecs(40 * 60);
        const QList<WeatherSample> hours =
            build({forecast(K::openMeteo, sample(kNow, 1), 60, hoursFrom(start, 12, {}, 0)),
                   forecast(K::weatherKit, sample(kNow, 1), 60, hoursFrom(start, 48, {}, 20)),
                   forecast(K::metNorway, sample(kNow, 1), 60, hoursFrom(start, 24, {}, 30))})
                .hourly;
        QCOMPARE(hours.size(), 12);
        QCOMPARE(hours.first().date, start);
        QCOMPARE(hours.first().temperatureC, 20.0);
        QCOMPARE(hours.first().precipitationProbability, 0.0);

        // 29 minutes off joins the hour; 30 minutes off does not.
        const WeatherSample base = sample(start, 10, C::rain, 0.5);
        const auto self = forecast(K::metNorway, {}, 0, {base});
        const auto near = forecast(K::openMeteo, {}, 0, {sample(start.addSecs(29 * 60), 20, C::rain)});
        const auto far = forecast(K::weatherKit, {}, 0, {sample(start.addSecs(-30 * 60), 90, C::fog)});
        const WeatherSample hour = ConsensusEngine::blendedHour(base, {self, near, far});
        QCOMPARE(hour.temperatureC, 15.0);
        QCOMPARE(hour.condition, C::rain);
        QCOMPARE(hour.precipitationProbability, 0.5);
    }

    void dailyMatchesLocalCalendarDays() {
        // 18:00 and 19:00 UTC fall on one day in UTC, but on 23:30 and 00:30 of the next day in India.
        const QDateTime evening(QDate(2025, 3, 10), QTime(18, 0), Qt::UTC);
        auto a = forecast(K::openMeteo, sample(kNow, 1));
        auto b = forecast(K::weatherKit, sample(kNow, 1));
        a.daily = {{evening, 10, 1, C::clear, std::nullopt, evening.addSecs(-100), std::nullopt}};
        b.daily = {
            {evening.addSecs(3600), 20, 1, C::clear, std::nullopt, evening.addSecs(-300), std::nullopt}};
        const DailyForecast utc = ConsensusEngine::blendedDaily({a, b}, kUTC).first();
        QCOMPARE(utc.highC, 15.0);
        QCOMPARE(utc.precipitationProbability, 0.0);
        QCOMPARE(utc.sunrise, evening.addSecs(-200));
        const LocalCalendar kolkata(QTimeZone("Asia/Kolkata"), QLocale(QLocale::English, QLocale::India));
        const DailyForecast india = ConsensusEngine::blendedDaily({a, b}, kolkata).first();
        QCOMPARE(india.highC, 10.0);
        QCOMPARE(india.sunrise, evening.addSecs(-100));
    }

    void currentPrecipitationFallsBackToTheNearestHour() {
        // Each provider's hour nearest to now, not before the current hour, stands in for a missing chance.
        const QDateTime hourStart(QDate(2025, 3, 10), QTime(14, 0), Qt::UTC);
        auto a =
            forecast(K::openMeteo, sample(kNow, 1), 60,
                     {sample(hourStart.addSecs(-60), 1, C::rain, 0.9), sample(hourStart, 1, C::rain, 0.3),
                      sample(hourStart.addSecs(3600), 1, C::rain, 0.7)});
        auto b = forecast(K::weatherKit, sample(kNow, 1), 60, {sample(kNow, 1, C::rain, 0.5)});
        QCOMPARE(build({a, b}).current->precipitationProbability, 0.5);
        a.hourly.clear();
        b.hourly.clear();
        QCOMPARE(build({a, b}).current->precipitationProbability, 0.0);
    }

    void nonFiniteValuesNeverEnterTheBlend() {
        const QDateTime start = kNow.addSecs(3600);
        auto broken = sample(kNow, kNaN, C::rain, kNaN, kInf);
        broken.humidity = kNaN;
        const ConsensusForecast blended =
            build({forecast(K::openMeteo, sample(kNow, 10, C::rain, 0.2, 10.0), 60,
                            {sample(start, kNaN, C::rain, kInf), sample(start.addSecs(3600), 12)}),
                   forecast(K::weatherKit, broken, 60, {sample(start, 11, C::rain, 0.4)}),
                   forecast(K::metNorway, sample(kNow, 12, C::rain, 0.2, 14.0))});
        QVERIFY(std::isfinite(blended.current->temperatureC) && std::isfinite(*blended.current->windKph));
        QCOMPARE(blended.current->humidity, std::nullopt);
        QCOMPARE(blended.current->precipitationProbability, 0.2);
        QCOMPARE(blended.spread, (ForecastSpread{2.0, 4.0, 0.0}));
        QVERIFY(qFuzzyCompare(blended.confidence, 0.825 - 2.0 / 12));
        QCOMPARE(blended.hourly.first().temperatureC, 11.0);
        QCOMPARE(blended.hourly.first().precipitationProbability, 0.4);
        // The consensus stays writable, and readable again.
        QVERIFY(readsBack(blended));

        // An hour whose only temperature is not a number is left out rather than shown as garbage.
        const ConsensusForecast alone =
            build({forecast(K::openMeteo, sample(kNow, kNaN), 60, {sample(start, kInf)})});
        QCOMPARE(alone.current->temperatureC, 0.0);
        QVERIFY(alone.hourly.isEmpty() && !alone.spread);

        // A base hour or day whose own chance is the only one, and not a number, reads as no chance at all.
        auto lone = forecast(K::openMeteo, sample(kNow, 10), 60, {sample(start, 10, C::rain, kNaN)});
        lone.daily = {{start, 12, 3, C::rain, kInf, std::nullopt, std::nullopt}};
        const ConsensusForecast chanceless = build({lone});
        QCOMPARE(chanceless.hourly.first().precipitationProbability, 0.0);
        QCOMPARE(chanceless.daily.first().precipitationProbability, 0.0);
        QVERIFY(readsBack(chanceless));
    }

    void nextHoursSentence_data() {
        QTest::addColumn<C>("current");
        QTest::addColumn<QList<WeatherSample>>("hours");
        QTest::addColumn<QString>("sentence");
        const auto at = [](int h, double t, C c, Opt p, Opt w) {
            return sample(kNow.addSecs(h * 3600), t, c, p, w);
        };
        QTest::newRow("empty") << C::clear << QList<WeatherSample>{}
                               << "Refresh to fetch the next few hours.";
        QTest::newRow("rain coming") << C::cloudy
                                     << QList{at(0, 10, C::rain, 0.2, {}), at(1, 12, C::rain, 0.1, 12.0)}
                                     << "Rain developing, low rain risk, breezy, warming later.";
        QTest::newRow("rain staying")
            << C::rain << QList{at(0, 10, C::rain, 0.65, 28.0), at(1, 8, C::rain, 0.4, 1.0)}
            << "Rain, rain likely, windy, cooling later.";
        QTest::newRow("clearing") << C::cloudy
                                  << QList{at(0, 10, C::clear, 0.4, {}), at(1, 11.9, C::clear, 0.64, {})}
                                  << "Turning clear, showers possible.";
        QTest::newRow("unknown, no values")
            << C::partlyCloudy << QList{at(0, 1, C::unknown, {}, kNaN)} << "Partly Cloudy, dry.";
        QTest::newRow("six hours only")
            << C::fog
            << QList{at(0, 0, C::fog, 0.0, 1.0),  at(1, 0, C::fog, 0.0, 1.0),  at(2, 0, C::fog, 0.0, 1.0),
                     at(3, 0, C::snow, 0.0, 1.0), at(4, 0, C::snow, 0.0, 1.0), at(5, 1, C::snow, 0.0, 1.0),
                     at(6, 9, C::snow, 0.9, 90.0)}
            << "Fog, dry, light winds.";
    }
    void nextHoursSentence() {
        QFETCH(C, current);
        QFETCH(QList<WeatherSample>, hours);
        QFETCH(QString, sentence);
        QCOMPARE(ConsensusEngine::nextPrecipitationSummary(sample(kNow, 0, current), hours), sentence);
    }
};

QTEST_GUILESS_MAIN(ConsensusTest)
#include "tst_consensus.moc"
