#pragma once

#include "Clock.h"
#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "ProviderForecast.h"
#include "ProviderWeighting.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace nimbra {

// One provider's value for a quantity, with the weight it carries in a weighted mean.
struct WeightedValue {
    double value = 0;
    double weight = 0;
};

// Blends the providers' forecasts of one place into the consensus every view shows. Stateless; every function
// is pure apart from build() reading the clock for generatedAt, and none fails.
//
// Values that are not finite (NaN, infinities) count as absent everywhere: no statistic sees them, and a
// statistic whose result would not be finite has no value.
class ConsensusEngine {
public:
    ConsensusEngine() = delete;

    // The consensus of `forecasts` at `now`. Day boundaries and the current hour are those of `calendar`;
    // generatedAt is read from `clock`.
    static ConsensusForecast build(const WeatherLocation& location, const QList<ProviderForecast>& forecasts,
                                   const AccuracyScores& accuracyScores, const QDateTime& now,
                                   const LocalCalendar& calendar = LocalCalendar::system(),
                                   const Clock& clock = *Clock::system());

    // Texts of a consensus without any usable forecast.
    static QString noForecastSummary() { return QStringLiteral("No forecast available"); }
    static QString noSourceAttribution() { return QStringLiteral("No active weather source"); }

    // --- Blend steps (over the forecasts that are used) ---

    // The blended current conditions of the forecasts' current samples, dated `now`.
    static WeatherSample blendedCurrent(const QList<ProviderForecast>& forecasts,
                                        const AccuracyScores& accuracyScores, const QDateTime& now,
                                        const LocalCalendar& calendar = LocalCalendar::system());
    // At most 12 hours on the time base of the forecast with the most hourly samples.
    static QList<WeatherSample> blendedHourly(const QList<ProviderForecast>& forecasts);
    static WeatherSample blendedHour(const WeatherSample& base, const QList<ProviderForecast>& forecasts);
    // At most 10 days on the time base of the forecast with the most daily entries.
    static QList<DailyForecast> blendedDaily(const QList<ProviderForecast>& forecasts,
                                             const LocalCalendar& calendar = LocalCalendar::system());
    static DailyForecast blendedDay(const DailyForecast& base, const QList<ProviderForecast>& forecasts,
                                    const LocalCalendar& calendar = LocalCalendar::system());
    static std::optional<QDateTime> medianDate(const QList<QDateTime>& dates);
    // The precipitation chance of each forecast's hour nearest to `now`, blended; used when the current
    // samples carry none.
    static std::optional<double> precipitationProbabilityNearNow(const QList<ProviderForecast>& forecasts,
                                                                 const QDateTime& now,
                                                                 const LocalCalendar& calendar);
    // Repeats removed, first occurrence kept, order kept.
    static QStringList uniqued(const QStringList& texts);
    // Most severe first; alerts of equal severity keep their order.
    static QList<WeatherAlert> sortAlertsBySeverity(QList<WeatherAlert> alerts);

    // --- Statistics ---

    static std::optional<double> median(const QList<double>& values);
    static std::optional<double> weightedMean(const QList<WeightedValue>& values);
    // The upper middle value pulled 30 % of the way towards the highest: cautious about rain. Gives exactly
    // the common value when all values agree.
    static std::optional<double> precipitationBlend(const QList<double>& values);
    // Highest minus lowest value of the current samples; none for no samples.
    static std::optional<ForecastSpread> spread(const QList<WeatherSample>& currentSamples);
    // 0.35 for a consensus of expired forecasts, else 0.05 ... 0.98 by coverage and agreement.
    static double confidence(int providerCount, const std::optional<ForecastSpread>& spread, bool isFresh);
    static ConsensusState state(int providerCount, bool isFresh);

    // --- Next-hours sentence ---

    static QString nextPrecipitationSummary(const WeatherSample& current, const QList<WeatherSample>& hourly);
    static QString conditionPhrase(WeatherCondition current, const QList<WeatherSample>& window);
    static QString rainChancePhrase(const QList<WeatherSample>& window);
    static std::optional<QString> windPhrase(const QList<WeatherSample>& window);
    static std::optional<QString> temperatureTrendPhrase(const QList<WeatherSample>& window);
};

} // namespace nimbra
