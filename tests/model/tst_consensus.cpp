#include "ConsensusEngine.h"
#include "MostFrequentCondition.h"
#include "ProviderWeighting.h"
#include "WeatherFormatting.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

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

// The hourly and daily blends written the plain way, as an oracle for the indexed ones: every sample of every
// forecast against every base hour, each day converted to the calendar's zone on its own.
template <typename Field> qsizetype timeBaseOf(const QList<ProviderForecast>& f, Field field) {
    qsizetype base = 0;
    for (qsizetype i = 1; i < f.size(); ++i) {
        if (field(f[i]).size() > field(f[base]).size())
            base = i;
    }
    return base;
}

Opt finiteOr(Opt value) {
    return value && std::isfinite(*value) ? value : std::nullopt;
}

QList<WeatherSample> referenceHourly(const QList<ProviderForecast>& forecasts) {
    if (forecasts.isEmpty())
        return {};
    const auto hours = [](const ProviderForecast& f) -> const auto& {
        return f.hourly;
    };
    QList<WeatherSample> out;
    for (const WeatherSample& base : forecasts[timeBaseOf(forecasts, hours)].hourly.mid(0, 12)) {
        QList<double> t, a, h, w, p, in;
        QList<C> c;
        for (const ProviderForecast& f : forecasts) {
            for (const WeatherSample& s : f.hourly) {
                if (!base.date.isValid() || !s.date.isValid() ||
                    std::abs(base.date.msecsTo(s.date)) >= 1800000)
                    continue;
                t.append(s.temperatureC);
                for (auto [list, value] : {std::pair{&a, s.apparentTemperatureC},
                                           {&h, s.humidity},
                                           {&w, s.windKph},
                                           {&p, s.precipitationProbability},
                                           {&in, s.precipitationIntensityMmPerHour}}) {
                    if (value)
                        list->append(*value);
                }
                c.append(s.condition);
            }
        }
        WeatherSample hour = base;
        hour.precipitationProbability = finiteOr(base.precipitationProbability).value_or(0.0);
        if (!c.isEmpty()) {
            hour.temperatureC = ConsensusEngine::median(t).value_or(base.temperatureC);
            hour.apparentTemperatureC = ConsensusEngine::median(a);
            hour.humidity = ConsensusEngine::median(h);
            hour.windKph = ConsensusEngine::median(w);
            hour.condition = mostFrequentCondition(c);
            hour.precipitationProbability =
                ConsensusEngine::precipitationBlend(p).value_or(*hour.precipitationProbability);
            hour.precipitationIntensityMmPerHour = ConsensusEngine::median(in);
        }
        if (std::isfinite(hour.temperatureC))
            out.append(hour);
    }
    return out;
}

QList<DailyForecast> referenceDaily(const QList<ProviderForecast>& forecasts, const LocalCalendar& calendar) {
    if (forecasts.isEmpty())
        return {};
    const auto days = [](const ProviderForecast& f) -> const auto& {
        return f.daily;
    };
    const auto localDay = [&](const QDateTime& d) {
        return d.isValid() ? calendar.toLocal(d).date() : QDate();
    };
    QList<DailyForecast> out;
    for (const DailyForecast& base : forecasts[timeBaseOf(forecasts, days)].daily.mid(0, 10)) {
        QList<double> highs, lows, p;
        QList<QDateTime> rises, sets;
        QList<C> c;
        for (const ProviderForecast& f : forecasts) {
            for (const DailyForecast& d : f.daily) {
                if (!localDay(base.date).isValid() || !d.date.isValid() ||
                    localDay(d.date) != localDay(base.date))
                    continue;
                highs.append(d.highC);
                lows.append(d.lowC);
                if (d.precipitationProbability)
                    p.append(*d.precipitationProbability);
                if (d.sunrise)
                    rises.append(*d.sunrise);
                if (d.sunset)
                    sets.append(*d.sunset);
                c.append(d.condition);
            }
        }
        DailyForecast day = base;
        if (!c.isEmpty()) {
            day.highC = ConsensusEngine::median(highs).value_or(base.highC);
            day.lowC = ConsensusEngine::median(lows).value_or(base.lowC);
            day.condition = mostFrequentCondition(c);
            day.precipitationProbability = ConsensusEngine::precipitationBlend(p).value_or(
                finiteOr(base.precipitationProbability).value_or(0.0));
            if (const auto rise = ConsensusEngine::medianDate(rises))
                day.sunrise = rise;
            if (const auto set = ConsensusEngine::medianDate(sets))
                day.sunset = set;
        }
        if (std::isfinite(day.highC) && std::isfinite(day.lowC))
            out.append(day);
    }
    return out;
}

// Provider forecasts as they come in practice and as they should not: unsorted, with repeated hours, gaps,
// hours off by some minutes (29 and 30 among them), invalid dates, absent values, days around midnight in odd
// zones and across a change of daylight saving time.
QList<ProviderForecast> randomForecasts(QRandomGenerator& random) {
    const QDateTime start(QDate(2025, 3, 29), QTime(22, 0),
                          Qt::UTC); // Europe changes its clocks at 01:00 UTC
    const auto pick = [&](int n) { return int(random.bounded(n)); };
    const auto maybe = [&](double value) { return pick(4) == 0 ? Opt{} : Opt{value}; };
    const int minuteOffsets[] = {0, 0, 0, 5, -29, 29, 30, -30, 59};
    QList<ProviderForecast> out;
    const int providers = 1 + pick(5);
    for (int n = 0; n < providers; ++n) {
        ProviderForecast f = forecast(K(pick(9)), sample(kNow, 10), 60);
        const int hours = pick(40);
        for (int h = 0; h < hours; ++h) {
            const int hour = pick(8) == 0 ? h - 1 : h; // a repeated hour now and then
            const QDateTime date =
                pick(30) == 0 ? QDateTime() : start.addSecs(hour * 3600 + minuteOffsets[pick(9)] * 60);
            WeatherSample s{
                date,       double(pick(6)),      maybe(pick(5)),      maybe(0.1 * pick(4)), maybe(pick(30)),
                C(pick(4)), maybe(0.2 * pick(5)), maybe(0.5 * pick(3))};
            f.hourly.insert(pick(int(f.hourly.size()) + 1), s);
        }
        const int days = pick(14);
        for (int d = 0; d < days; ++d) {
            const QDateTime date =
                pick(30) == 0 ? QDateTime() : start.addSecs(d * 86400 + (pick(48) - 24) * 1800);
            f.daily.append({date, double(10 + pick(4)), double(pick(3)), C(pick(4)), maybe(0.1 * pick(5)),
                            pick(2) ? std::optional(date.addSecs(-pick(20000))) : std::nullopt,
                            pick(2) ? std::optional(date.addSecs(pick(20000))) : std::nullopt});
        }
        out.append(f);
    }
    return out;
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

    void indexedBlendsEqualThePlainOnes() {
        QRandomGenerator random(1111);
        const char* zones[] = {
            "UTC",          "Asia/Kathmandu", "America/St_Johns", "Australia/Lord_Howe", "Pacific/Chatham",
            "Europe/Berlin"};
        for (int round = 0; round < 300; ++round) {
            const QList<ProviderForecast> forecasts = randomForecasts(random);
            const LocalCalendar calendar(QTimeZone(zones[round % 6]), QLocale::c());
            QCOMPARE(ConsensusEngine::blendedHourly(forecasts), referenceHourly(forecasts));
            QCOMPARE(ConsensusEngine::blendedDaily(forecasts, calendar), referenceDaily(forecasts, calendar));
        }
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
