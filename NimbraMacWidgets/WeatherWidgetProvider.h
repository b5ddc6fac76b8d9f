#pragma once

#include "WidgetKitLayer.h"

#include "CachedWeatherPayload.h"
#include "Clock.h"
#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "WeatherSettings.h"

#include <QDateTime>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// One timeline entry: the forecast to show from `date` on, its `current` already the hourly sample for that
// date. No forecast when the snapshot holds none usable.
struct WeatherWidgetEntry {
    QDateTime date;
    std::optional<ConsensusForecast> forecast;
    WeatherSettings settings;

    bool operator==(const WeatherWidgetEntry&) const = default;
};

// Reads the snapshot. The widget host passes one over the default snapshot file; tests pass their own file.
using PayloadLoader = std::function<CachedWeatherPayload()>;

// The one timeline provider of all three widgets. It never fetches and never writes: it reads the snapshot
// the application wrote, picks one forecast and cuts it into an entry for now and one per coming hour.
//
// The static functions are pure: every clock reading is the `now` passed in, read once per host call, so an
// entry date near the 60 s window cannot be judged against two different instants.
class WeatherWidgetProvider final : public TimelineProvider<WeatherWidgetEntry> {
public:
    // Hourly dates must lie more than this after now; an entry closer to now shows the forecast's own
    // current.
    static constexpr qint64 nearNowWindowSeconds = 60;
    static constexpr qint64 horizonSeconds = 43200;
    static constexpr int hourlyEntryLimit = 12;
    static constexpr qint64 deduplicationGapSeconds = 30;
    static constexpr qint64 sampleMatchWindowSeconds = 2700;
    static constexpr int minimumReloadMinutes = 15;
    static constexpr int maximumReloadMinutes = 60;
    static constexpr qint64 reloadFallbackSeconds = 1800;

    // A loader over the default snapshot file; each call opens a new cache and reads the file anew.
    static PayloadLoader defaultPayloadLoader();

    explicit WeatherWidgetProvider(PayloadLoader loader = defaultPayloadLoader(),
                                   std::shared_ptr<const Clock> clock = Clock::system());

    WeatherWidgetEntry placeholder(const TimelineProviderContext& context) const override;
    void getSnapshot(const TimelineProviderContext& context,
                     const std::function<void(const WeatherWidgetEntry&)>& completion) const override;
    void
    getTimeline(const TimelineProviderContext& context,
                const std::function<void(const Timeline<WeatherWidgetEntry>&)>& completion) const override;

    // --- Pure steps ---

    // Entries from now on, and the policy to reload after the settings' refresh interval (15 to 60 minutes).
    static Timeline<WeatherWidgetEntry> timeline(const PayloadLoader& load, const QDateTime& now);
    static WeatherWidgetEntry snapshotEntry(const PayloadLoader& load, const QDateTime& now);
    // Built from the fixtures through the consensus engine; never reads the snapshot.
    static WeatherWidgetEntry placeholderEntry(const QDateTime& now,
                                               const LocalCalendar& calendar = LocalCalendar::system());

    // The selected forecast, else the menu-bar location's, else the first current location's, else the
    // newest.
    static std::optional<ConsensusForecast> preferredForecast(const CachedWeatherPayload& payload);
    static QList<WeatherWidgetEntry> timelineEntries(const std::optional<ConsensusForecast>& forecast,
                                                     const WeatherSettings& settings, const QDateTime& now);
    // Ascending, without a date within 30 s of the one kept before it.
    static QList<QDateTime> normalizedEntryDates(QList<QDateTime> dates);
    // A copy whose current is the sample for `date`, when there is one.
    static std::optional<ConsensusForecast> forecast(const std::optional<ConsensusForecast>& forecast,
                                                     const QDateTime& date, const QDateTime& now);
    // Near now the forecast's own current; else the hourly sample nearest `date` within 45 minutes, the first
    // in the list between equally near ones.
    static std::optional<WeatherSample> sample(const ConsensusForecast& forecast, const QDateTime& date,
                                               const QDateTime& now);
    static QDateTime reloadDate(const WeatherSettings& settings, const QDateTime& now);

private:
    PayloadLoader m_load;
    std::shared_ptr<const Clock> m_clock;
};

} // namespace nimbra
