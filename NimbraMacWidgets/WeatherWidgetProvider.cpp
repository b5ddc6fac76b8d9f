#include "WeatherWidgetProvider.h"

#include "ConsensusEngine.h"
#include "WeatherCache.h"
#include "WeatherFixtures.h"

#include <algorithm>
#include <cstdlib>

namespace nimbra {

PayloadLoader WeatherWidgetProvider::defaultPayloadLoader() {
    return [] { return WeatherCache().loadSelected(); };
}

WeatherWidgetProvider::WeatherWidgetProvider(PayloadLoader loader, std::shared_ptr<const Clock> clock)
    : m_load(std::move(loader)), m_clock(clock ? std::move(clock) : Clock::system()) {}

WeatherWidgetEntry WeatherWidgetProvider::placeholder(const TimelineProviderContext&) const {
    return placeholderEntry(m_clock->now());
}

void WeatherWidgetProvider::getSnapshot(
    const TimelineProviderContext&, const std::function<void(const WeatherWidgetEntry&)>& completion) const {
    completion(snapshotEntry(m_load, m_clock->now()));
}

void WeatherWidgetProvider::getTimeline(
    const TimelineProviderContext&,
    const std::function<void(const Timeline<WeatherWidgetEntry>&)>& completion) const {
    completion(timeline(m_load, m_clock->now()));
}

Timeline<WeatherWidgetEntry> WeatherWidgetProvider::timeline(const PayloadLoader& load,
                                                             const QDateTime& now) {
    const CachedWeatherPayload payload = load ? load() : CachedWeatherPayload{};
    return {timelineEntries(preferredForecast(payload), payload.settings, now),
            TimelineReloadPolicy::after(reloadDate(payload.settings, now))};
}

WeatherWidgetEntry WeatherWidgetProvider::snapshotEntry(const PayloadLoader& load, const QDateTime& now) {
    const CachedWeatherPayload payload = load ? load() : CachedWeatherPayload{};
    return {now, forecast(preferredForecast(payload), now, now), payload.settings};
}

WeatherWidgetEntry WeatherWidgetProvider::placeholderEntry(const QDateTime& now,
                                                           const LocalCalendar& calendar) {
    const WeatherLocation& home = WeatherFixtures::home();
    const ConsensusForecast forecast = ConsensusEngine::build(
        home, WeatherFixtures::providerForecasts(home, now, calendar), {}, now, calendar, ManualClock(now));
    return {now, forecast, WeatherSettings{}};
}

std::optional<ConsensusForecast>
WeatherWidgetProvider::preferredForecast(const CachedWeatherPayload& payload) {
    if (payload.selectedForecast)
        return payload.selectedForecast;
    const WeatherSettings& settings = payload.settings;
    if (settings.menuBarLocationID) {
        const auto found = payload.forecasts.constFind(*settings.menuBarLocationID);
        if (found != payload.forecasts.constEnd())
            return *found;
    }
    const auto current =
        std::find_if(payload.locations.cbegin(), payload.locations.cend(),
                     [](const WeatherLocation& location) { return location.isCurrentLocation; });
    if (current != payload.locations.cend()) {
        const auto found = payload.forecasts.constFind(current->id);
        if (found != payload.forecasts.constEnd())
            return *found;
    }
    // Newest first; between equal dates the lower id, so the choice does not follow the hash's order.
    const ConsensusForecast* newest = nullptr;
    for (const ConsensusForecast& candidate : payload.forecasts) {
        if (!newest || candidate.generatedAt > newest->generatedAt ||
            (candidate.generatedAt == newest->generatedAt && candidate.id() < newest->id()))
            newest = &candidate;
    }
    if (newest)
        return *newest;
    return std::nullopt;
}

QList<WeatherWidgetEntry>
WeatherWidgetProvider::timelineEntries(const std::optional<ConsensusForecast>& forecast,
                                       const WeatherSettings& settings, const QDateTime& now) {
    QList<QDateTime> dates{now};
    if (forecast) {
        const QDateTime earliest = now.addSecs(nearNowWindowSeconds);
        const QDateTime latest = now.addSecs(horizonSeconds);
        int kept = 0;
        for (const WeatherSample& sample : forecast->hourly) {
            if (kept == hourlyEntryLimit)
                break;
            if (sample.date.isValid() && sample.date > earliest && sample.date <= latest) {
                dates.append(sample.date);
                ++kept;
            }
        }
    }
    QList<WeatherWidgetEntry> entries;
    for (const QDateTime& date : normalizedEntryDates(std::move(dates)))
        entries.append({date, WeatherWidgetProvider::forecast(forecast, date, now), settings});
    return entries;
}

QList<QDateTime> WeatherWidgetProvider::normalizedEntryDates(QList<QDateTime> dates) {
    std::stable_sort(dates.begin(), dates.end());
    QList<QDateTime> kept;
    for (const QDateTime& date : std::as_const(dates)) {
        if (kept.isEmpty() || kept.last().msecsTo(date) > deduplicationGapSeconds * 1000)
            kept.append(date);
    }
    return kept;
}

std::optional<ConsensusForecast>
WeatherWidgetProvider::forecast(const std::optional<ConsensusForecast>& forecast, const QDateTime& date,
                                const QDateTime& now) {
    if (!forecast)
        return std::nullopt;
    ConsensusForecast copy = *forecast;
    if (auto matched = sample(copy, date, now))
        copy.current = std::move(matched);
    return copy;
}

std::optional<WeatherSample> WeatherWidgetProvider::sample(const ConsensusForecast& forecast,
                                                           const QDateTime& date, const QDateTime& now) {
    if (std::abs(now.msecsTo(date)) < nearNowWindowSeconds * 1000)
        return forecast.current;
    const WeatherSample* best = nullptr;
    qint64 bestDistance = 0;
    for (const WeatherSample& candidate : forecast.hourly) {
        if (!candidate.date.isValid())
            continue;
        const qint64 distance = std::abs(candidate.date.msecsTo(date));
        if (distance > sampleMatchWindowSeconds * 1000)
            continue;
        if (!best || distance < bestDistance) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    if (best)
        return *best;
    return std::nullopt;
}

QDateTime WeatherWidgetProvider::reloadDate(const WeatherSettings& settings, const QDateTime& now) {
    const int minutes =
        std::clamp(settings.refreshIntervalMinutes, minimumReloadMinutes, maximumReloadMinutes);
    const QDateTime date = now.addSecs(qint64(minutes) * 60);
    return date.isValid() ? date : now.addSecs(reloadFallbackSeconds);
}

} // namespace nimbra
