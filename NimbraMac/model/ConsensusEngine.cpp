#include "ConsensusEngine.h"

#include "MostFrequentCondition.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace nimbra {
namespace {

constexpr qsizetype kHourlyCount = 12;
constexpr qsizetype kDailyCount = 10;
// Samples closer than this to a base hour take part in that hour's blend.
constexpr qint64 kHourMatchMSecs = 1800 * 1000;

void appendIfPresent(QList<double>& values, const std::optional<double>& value) {
    if (value)
        values.append(*value);
}

// A chance that is present and finite, else none: the fall-back must not bring back what the blend left out.
std::optional<double> finiteChance(const std::optional<double>& value) {
    return value && std::isfinite(*value) ? value : std::nullopt;
}

// The forecast with the most entries in `list`; on equal counts the earliest one.
template <typename Entries> qsizetype timeBase(const QList<ProviderForecast>& forecasts, Entries list) {
    qsizetype base = 0;
    for (qsizetype i = 1; i < forecasts.size(); ++i) {
        if (list(forecasts[i]).size() > list(forecasts[base]).size())
            base = i;
    }
    return base;
}

// Every hourly sample's instant, looked up once per build instead of once per base hour. Given the span of
// the base hours, samples too far from all of them to ever match are left out; the order of the rest is kept,
// as the condition vote breaks ties by it.
struct HourlyIndex {
    QList<const WeatherSample*> samples;
    QList<qint64> msecs;

    explicit HourlyIndex(const QList<ProviderForecast>& forecasts,
                         qint64 from = std::numeric_limits<qint64>::min(),
                         qint64 to = std::numeric_limits<qint64>::max()) {
        qsizetype total = 0;
        for (const ProviderForecast& f : forecasts)
            total += f.hourly.size();
        samples.reserve(total);
        msecs.reserve(total);
        for (const ProviderForecast& f : forecasts) {
            for (const WeatherSample& s : f.hourly) {
                // The window first: it turns most samples away, and an invalid date's instant, whatever it
                // reads, is checked before use.
                const qint64 at = s.date.toMSecsSinceEpoch();
                if (at <= from || at >= to || !s.date.isValid())
                    continue;
                samples.append(&s);
                msecs.append(at);
            }
        }
    }
};

// The values of the samples that match one hour, in buffers kept from hour to hour.
struct HourValues {
    QList<double> temperatures, apparent, humidity, wind, probability, intensity;
    QList<WeatherCondition> conditions;

    explicit HourValues(qsizetype capacity) {
        for (QList<double>* list : {&temperatures, &apparent, &humidity, &wind, &probability, &intensity})
            list->reserve(capacity);
        conditions.reserve(capacity);
    }
    void clear() {
        for (QList<double>* list : {&temperatures, &apparent, &humidity, &wind, &probability, &intensity})
            list->clear();
        conditions.clear();
    }
};

WeatherSample blendHour(const WeatherSample& base, const HourlyIndex& index, HourValues& v) {
    v.clear();
    const bool dated = base.date.isValid();
    const qint64 at = dated ? base.date.toMSecsSinceEpoch() : 0;
    for (qsizetype i = 0; dated && i < index.samples.size(); ++i) {
        if (std::abs(index.msecs[i] - at) >= kHourMatchMSecs)
            continue;
        const WeatherSample& m = *index.samples[i];
        v.temperatures.append(m.temperatureC);
        appendIfPresent(v.apparent, m.apparentTemperatureC);
        appendIfPresent(v.humidity, m.humidity);
        appendIfPresent(v.wind, m.windKph);
        appendIfPresent(v.probability, m.precipitationProbability);
        appendIfPresent(v.intensity, m.precipitationIntensityMmPerHour);
        v.conditions.append(m.condition);
    }
    WeatherSample out = base;
    if (v.conditions.isEmpty()) {
        out.precipitationProbability = finiteChance(base.precipitationProbability).value_or(0.0);
        return out;
    }
    out.temperatureC = ConsensusEngine::median(v.temperatures).value_or(base.temperatureC);
    out.apparentTemperatureC = ConsensusEngine::median(v.apparent);
    out.humidity = ConsensusEngine::median(v.humidity);
    out.windKph = ConsensusEngine::median(v.wind);
    out.condition = mostFrequentCondition(v.conditions);
    out.precipitationProbability = ConsensusEngine::precipitationBlend(v.probability)
                                       .value_or(finiteChance(base.precipitationProbability).value_or(0.0));
    out.precipitationIntensityMmPerHour = ConsensusEngine::median(v.intensity);
    return out;
}

// The local calendar day of instants, converted once per distinct instant: providers date their days alike,
// and a conversion to the user's time zone costs far more than the rest of a day's blend.
class LocalDays {
public:
    explicit LocalDays(const LocalCalendar& calendar) : m_calendar(calendar) {}

    QDate of(const QDateTime& instant) {
        if (!instant.isValid())
            return {};
        const qint64 at = instant.toMSecsSinceEpoch();
        for (const auto& [msecs, day] : std::as_const(m_seen)) {
            if (msecs == at)
                return day;
        }
        const QDate day = m_calendar.toLocal(instant).date();
        m_seen.append({at, day});
        return day;
    }

private:
    const LocalCalendar& m_calendar;
    QList<std::pair<qint64, QDate>> m_seen;
};

// Every daily entry's local calendar day, converted once per build.
struct DailyIndex {
    QList<const DailyForecast*> days;
    QList<QDate> localDates;

    DailyIndex(const QList<ProviderForecast>& forecasts, LocalDays& localDays) {
        qsizetype total = 0;
        for (const ProviderForecast& f : forecasts)
            total += f.daily.size();
        days.reserve(total);
        localDates.reserve(total);
        for (const ProviderForecast& f : forecasts) {
            for (const DailyForecast& d : f.daily) {
                if (!d.date.isValid())
                    continue;
                days.append(&d);
                localDates.append(localDays.of(d.date));
            }
        }
    }
};

// The values of the entries that match one day, in buffers kept from day to day.
struct DayValues {
    QList<double> highs, lows, probability;
    QList<QDateTime> sunrises, sunsets;
    QList<WeatherCondition> conditions;

    explicit DayValues(qsizetype capacity) {
        for (QList<double>* list : {&highs, &lows, &probability})
            list->reserve(capacity);
        sunrises.reserve(capacity);
        sunsets.reserve(capacity);
        conditions.reserve(capacity);
    }
    void clear() {
        for (QList<double>* list : {&highs, &lows, &probability})
            list->clear();
        sunrises.clear();
        sunsets.clear();
        conditions.clear();
    }
};

DailyForecast blendDay(const DailyForecast& base, const QDate& localDate, const DailyIndex& index,
                       DayValues& v) {
    v.clear();
    for (qsizetype i = 0; localDate.isValid() && i < index.days.size(); ++i) {
        if (index.localDates[i] != localDate)
            continue;
        const DailyForecast& m = *index.days[i];
        v.highs.append(m.highC);
        v.lows.append(m.lowC);
        appendIfPresent(v.probability, m.precipitationProbability);
        if (m.sunrise)
            v.sunrises.append(*m.sunrise);
        if (m.sunset)
            v.sunsets.append(*m.sunset);
        v.conditions.append(m.condition);
    }
    if (v.conditions.isEmpty())
        return base;
    DailyForecast out = base;
    // Highs and lows are blended independently; the blended low is not forced below the blended high.
    out.highC = ConsensusEngine::median(v.highs).value_or(base.highC);
    out.lowC = ConsensusEngine::median(v.lows).value_or(base.lowC);
    out.condition = mostFrequentCondition(v.conditions);
    out.precipitationProbability = ConsensusEngine::precipitationBlend(v.probability)
                                       .value_or(finiteChance(base.precipitationProbability).value_or(0.0));
    if (const auto sunrise = ConsensusEngine::medianDate(v.sunrises))
        out.sunrise = sunrise;
    if (const auto sunset = ConsensusEngine::medianDate(v.sunsets))
        out.sunset = sunset;
    return out;
}

bool isUsable(const ProviderForecast& f) {
    // An empty error message is still an error.
    return f.current.has_value() && !f.errorMessage.has_value();
}

} // namespace

ConsensusForecast ConsensusEngine::build(const WeatherLocation& location,
                                         const QList<ProviderForecast>& forecasts,
                                         const AccuracyScores& accuracyScores, const QDateTime& now,
                                         const LocalCalendar& calendar, const Clock& clock) {
    QList<ProviderForecast> fresh, usable;
    for (const ProviderForecast& f : forecasts) {
        if (!isUsable(f))
            continue;
        usable.append(f);
        if (f.expiresAt >= now)
            fresh.append(f);
    }
    const bool isFresh = !fresh.isEmpty();
    // With nothing fresh the expired forecasts stand in, and the consensus says it is stale.
    const QList<ProviderForecast>& used = isFresh ? fresh : usable;

    ConsensusForecast out;
    out.location = location;
    if (used.isEmpty()) {
        out.generatedAt = clock.now();
        out.nextPrecipitationSummary = noForecastSummary();
        out.attributionLine = noSourceAttribution();
        out.state = ConsensusState::unavailable;
        return out;
    }

    QList<WeatherSample> currentSamples;
    QStringList attributions;
    for (const ProviderForecast& f : used) {
        currentSamples.append(*f.current);
        attributions.append(f.attribution);
        out.alerts.append(f.alerts);
    }
    out.current = blendedCurrent(used, accuracyScores, now, calendar);
    out.spread = spread(currentSamples);
    out.providerCount = int(used.size());
    out.confidence = confidence(out.providerCount, out.spread, isFresh);
    out.hourly = blendedHourly(used);
    out.daily = blendedDaily(used, calendar);
    out.alerts = sortAlertsBySeverity(std::move(out.alerts));
    out.attributionLine = uniqued(attributions).join(QStringLiteral(" | "));
    out.state = state(out.providerCount, isFresh);
    out.nextPrecipitationSummary = nextPrecipitationSummary(*out.current, out.hourly);
    out.generatedAt = clock.now();
    return out;
}

WeatherSample ConsensusEngine::blendedCurrent(const QList<ProviderForecast>& forecasts,
                                              const AccuracyScores& accuracyScores, const QDateTime& now,
                                              const LocalCalendar& calendar) {
    QList<WeightedValue> weightedTemperatures, weightedWinds;
    QList<double> temperatures, apparent, humidity, wind, probability, intensity;
    QList<WeatherCondition> conditions;
    for (const ProviderForecast& f : forecasts) {
        if (!f.current)
            continue;
        const WeatherSample& s = *f.current;
        const double weight = providerWeight(f.provider, accuracyScores);
        weightedTemperatures.append({s.temperatureC, weight});
        temperatures.append(s.temperatureC);
        appendIfPresent(apparent, s.apparentTemperatureC);
        appendIfPresent(humidity, s.humidity);
        if (s.windKph) {
            weightedWinds.append({*s.windKph, weight});
            wind.append(*s.windKph);
        }
        conditions.append(s.condition);
        appendIfPresent(probability, s.precipitationProbability);
        appendIfPresent(intensity, s.precipitationIntensityMmPerHour);
    }

    WeatherSample out;
    out.date = now;
    out.temperatureC = weightedMean(weightedTemperatures).value_or(median(temperatures).value_or(0.0));
    out.apparentTemperatureC = median(apparent);
    out.humidity = median(humidity);
    out.windKph = weightedMean(weightedWinds);
    if (!out.windKph)
        out.windKph = median(wind);
    out.condition = mostFrequentCondition(conditions);
    out.precipitationProbability = precipitationBlend(probability);
    if (!out.precipitationProbability)
        out.precipitationProbability =
            precipitationProbabilityNearNow(forecasts, now, calendar).value_or(0.0);
    out.precipitationIntensityMmPerHour = median(intensity);
    return out;
}

QList<WeatherSample> ConsensusEngine::blendedHourly(const QList<ProviderForecast>& forecasts) {
    if (forecasts.isEmpty())
        return {};
    const auto& base =
        forecasts[timeBase(
                      forecasts, [](const ProviderForecast& f) -> const auto& { return f.hourly; })]
            .hourly;
    const qsizetype count = std::min(base.size(), kHourlyCount);
    // Only samples within half an hour of one of the base hours can match.
    qint64 first = std::numeric_limits<qint64>::max(), last = std::numeric_limits<qint64>::min();
    for (qsizetype i = 0; i < count; ++i) {
        if (!base[i].date.isValid())
            continue;
        const qint64 at = base[i].date.toMSecsSinceEpoch();
        first = std::min(first, at);
        last = std::max(last, at);
    }
    if (first > last)
        first = last = 0;
    const HourlyIndex index(forecasts, first - kHourMatchMSecs, last + kHourMatchMSecs);
    HourValues values(forecasts.size() * 2);
    QList<WeatherSample> out;
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        WeatherSample hour = blendHour(base[i], index, values);
        // An hour without any usable temperature cannot be shown or saved; leave it out.
        if (std::isfinite(hour.temperatureC))
            out.append(std::move(hour));
    }
    return out;
}

WeatherSample ConsensusEngine::blendedHour(const WeatherSample& base,
                                           const QList<ProviderForecast>& forecasts) {
    HourValues values(forecasts.size());
    return blendHour(base, HourlyIndex(forecasts), values);
}

QList<DailyForecast> ConsensusEngine::blendedDaily(const QList<ProviderForecast>& forecasts,
                                                   const LocalCalendar& calendar) {
    if (forecasts.isEmpty())
        return {};
    const auto& base =
        forecasts[timeBase(
                      forecasts, [](const ProviderForecast& f) -> const auto& { return f.daily; })]
            .daily;
    LocalDays localDays(calendar);
    const DailyIndex index(forecasts, localDays);
    QList<DailyForecast> out;
    out.reserve(std::min(base.size(), kDailyCount));
    DayValues values(forecasts.size() * 2);
    for (qsizetype i = 0; i < std::min(base.size(), kDailyCount); ++i) {
        DailyForecast day = blendDay(base[i], localDays.of(base[i].date), index, values);
        // A day without usable highs or lows cannot be shown or saved; leave it out.
        if (std::isfinite(day.highC) && std::isfinite(day.lowC))
            out.append(std::move(day));
    }
    return out;
}

DailyForecast ConsensusEngine::blendedDay(const DailyForecast& base, const QList<ProviderForecast>& forecasts,
                                          const LocalCalendar& calendar) {
    LocalDays localDays(calendar);
    DayValues values(forecasts.size());
    return blendDay(base, localDays.of(base.date), DailyIndex(forecasts, localDays), values);
}

std::optional<QDateTime> ConsensusEngine::medianDate(const QList<QDateTime>& dates) {
    QList<double> msecs;
    for (const QDateTime& d : dates) {
        if (d.isValid())
            msecs.append(double(d.toMSecsSinceEpoch()));
    }
    const auto middle = median(msecs);
    if (!middle)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(std::llround(*middle), Qt::UTC);
}

std::optional<double>
ConsensusEngine::precipitationProbabilityNearNow(const QList<ProviderForecast>& forecasts,
                                                 const QDateTime& now, const LocalCalendar& calendar) {
    if (!now.isValid())
        return std::nullopt;
    QDateTime hourStart = calendar.startOfHour(now);
    if (!hourStart.isValid())
        hourStart = now;
    const qint64 from = hourStart.toMSecsSinceEpoch();
    const qint64 at = now.toMSecsSinceEpoch();
    QList<double> collected;
    for (const ProviderForecast& f : forecasts) {
        const WeatherSample* nearest = nullptr;
        qint64 nearestDistance = 0;
        for (const WeatherSample& s : f.hourly) {
            if (!s.date.isValid())
                continue;
            const qint64 ms = s.date.toMSecsSinceEpoch();
            if (ms < from)
                continue;
            const qint64 distance = std::abs(ms - at);
            // Strictly nearer only: on a tie the earlier sample in the list stays.
            if (!nearest || distance < nearestDistance) {
                nearest = &s;
                nearestDistance = distance;
            }
        }
        if (nearest)
            appendIfPresent(collected, nearest->precipitationProbability);
    }
    return precipitationBlend(collected);
}

QStringList ConsensusEngine::uniqued(const QStringList& texts) {
    QStringList out;
    for (const QString& t : texts) {
        if (!out.contains(t))
            out.append(t);
    }
    return out;
}

QList<WeatherAlert> ConsensusEngine::sortAlertsBySeverity(QList<WeatherAlert> alerts) {
    std::stable_sort(alerts.begin(), alerts.end(),
                     [](const WeatherAlert& a, const WeatherAlert& b) { return b.severity < a.severity; });
    return alerts;
}

} // namespace nimbra
