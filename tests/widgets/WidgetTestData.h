#pragma once

// Forecasts, entries and snapshot files for the widget tests.

#include "Clock.h"
#include "ConsensusEngine.h"
#include "WeatherCache.h"
#include "WeatherFixtures.h"
#include "WeatherWidgetProvider.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

namespace nimbra::widgettest {

// 14:20 UTC on a Wednesday; every test and render reads this instead of the clock.
inline QDateTime fixedNow() {
    return QDateTime(QDate(2025, 6, 18), QTime(14, 20), Qt::UTC);
}

inline LocalCalendar utcCalendar() {
    return {QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedStates)};
}

inline QUuid idFor(int n) {
    return QUuid(QStringLiteral("{00000000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')));
}

inline WeatherLocation place(int n, const QString& name, bool current = false) {
    return {idFor(n), name, QStringLiteral("Somewhere"), 50.0 + n, 10.0 - n, current, current, fixedNow()};
}

// The consensus of the five sample providers at `now`, with the alert-carrying provider's alert.
inline ConsensusForecast fixtureForecast(const WeatherLocation& location, const QDateTime& now = fixedNow()) {
    const LocalCalendar calendar = utcCalendar();
    ConsensusForecast forecast =
        ConsensusEngine::build(location, WeatherFixtures::providerForecasts(location, now, calendar), {}, now,
                               calendar, ManualClock(now));
    forecast.alerts = WeatherFixtures::forecast(WeatherProviderKind::nws, location, now, calendar).alerts;
    // The sample providers give no sun times; early sunrise and late sunset, as in a northern summer.
    for (DailyForecast& day : forecast.daily) {
        const QDateTime midnight = calendar.startOfDay(day.date);
        day.sunrise = midnight.addSecs(4 * 3600 + 43 * 60);
        day.sunset = midnight.addSecs(20 * 3600 + 41 * 60);
    }
    return forecast;
}

inline WeatherSample sampleAt(const QDateTime& date, double temperatureC = 10) {
    WeatherSample s;
    s.date = date;
    s.temperatureC = temperatureC;
    s.condition = WeatherCondition::cloudy;
    return s;
}

// A forecast whose hourly samples lie at the given offsets in seconds from `now`.
inline ConsensusForecast forecastWithHours(const QList<qint64>& offsets, const QDateTime& now = fixedNow(),
                                           int locationNumber = 1) {
    ConsensusForecast f;
    f.location = place(locationNumber, QStringLiteral("Place %1").arg(locationNumber));
    f.generatedAt = now;
    f.current = sampleAt(now, -1);
    for (qint64 offset : offsets)
        f.hourly.append(sampleAt(now.addSecs(offset), double(offset)));
    f.state = ConsensusState::ready;
    return f;
}

// A snapshot file in a temporary data folder, written by the store's own writer and read back through the
// provider's loader.
class SnapshotFile {
public:
    SnapshotFile() : m_cache(m_dir.filePath(WeatherCache::fileName)) {}

    void write(const CachedWeatherPayload& payload) const {
        QVERIFY(m_dir.isValid());
        const auto failure = m_cache.save(payload);
        QVERIFY2(!failure, failure ? qPrintable(failure->description) : "");
    }
    PayloadLoader loader() const {
        const QString path = m_cache.filePath();
        return [path] { return WeatherCache(path).load(); };
    }
    QString path() const { return m_cache.filePath(); }

private:
    QTemporaryDir m_dir;
    WeatherCache m_cache;
};

} // namespace nimbra::widgettest
