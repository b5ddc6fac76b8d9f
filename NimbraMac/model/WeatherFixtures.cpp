#include "WeatherFixtures.h"

#include "Clock.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbra::WeatherFixtures {
namespace {

constexpr int kHours = 12;
constexpr int kDays = 10;

std::size_t index(WeatherProviderKind kind) {
    return static_cast<std::size_t>(kind);
}

WeatherSample currentSample(WeatherProviderKind kind, const QDateTime& now) {
    const double o = offset(kind);
    const bool openWeather = kind == WeatherProviderKind::openWeather;
    WeatherSample s;
    s.date = now;
    s.temperatureC = o + 21.5;
    s.apparentTemperatureC = o + 22.0;
    s.humidity = 0.58 + o * 0.01;
    s.windKph = 13.0 + std::max(o, 0.0);
    s.condition =
        kind == WeatherProviderKind::nws ? WeatherCondition::partlyCloudy : WeatherCondition::mostlyClear;
    s.precipitationProbability = openWeather ? 0.28 : 0.18 + o * 0.01;
    s.precipitationIntensityMmPerHour = openWeather ? 0.4 : 0.1;
    return s;
}

// A gentle temperature wave over twelve hours, clouding over with rain setting in later.
QList<WeatherSample> hourlySamples(double o, const QDateTime& now, const LocalCalendar& calendar) {
    const QDateTime hourStart = calendar.startOfHour(now);
    const QDateTime base = hourStart.isValid() ? hourStart.addSecs(3600) : now;
    QList<WeatherSample> out;
    for (int h = 0; h < kHours; ++h) {
        const double wave = 2 * std::sin(h / 2.5);
        WeatherSample s;
        s.date = base.addSecs(qint64(h) * 3600);
        s.temperatureC = o + 21.5 + wave;
        s.apparentTemperatureC = o + 22.0 + wave;
        s.humidity = 0.55;
        s.windKph = 12 + (h % 4);
        s.condition = h <= 7 ? WeatherCondition::partlyCloudy : WeatherCondition::cloudy;
        s.precipitationProbability = h < 7 ? 0.12 : 0.42;
        s.precipitationIntensityMmPerHour = h < 7 ? 0.0 : 0.8;
        out.append(s);
    }
    return out;
}

QList<DailyForecast> dailyForecasts(double o, const QDateTime& now, const LocalCalendar& calendar) {
    QList<DailyForecast> out;
    for (int d = 0; d < kDays; ++d) {
        const QDateTime date = calendar.addDays(now, d);
        DailyForecast day;
        day.date = date.isValid() ? date : now;
        day.highC = o + 24 + (d % 3);
        day.lowC = o + 15 + (d % 2);
        day.condition = d == 2 ? WeatherCondition::rain : WeatherCondition::partlyCloudy;
        day.precipitationProbability = d == 2 ? 0.64 : 0.18;
        out.append(day);
    }
    return out;
}

WeatherAlert sampleAlert(const QDateTime& now) {
    return {QUuid::createUuid(),
            WeatherProviderKind::nws,
            QStringLiteral("Coastal Flood Advisory"),
            QStringLiteral(
                "Minor flooding is possible around high tide. Official alert text is preserved by source."),
            WeatherAlertSeverity::minor,
            now,
            now.addSecs(8 * 3600),
            std::nullopt};
}

} // namespace

const WeatherLocation& home() {
    static const WeatherLocation location{QUuid::createUuid(),
                                          QStringLiteral("Current Location"),
                                          QStringLiteral("Allow location access or search for a city"),
                                          0.0,
                                          0.0,
                                          true,
                                          true,
                                          Clock::system()->now()};
    return location;
}

const QList<WeatherLocation>& savedLocations() {
    static const QList<WeatherLocation> locations{home()};
    return locations;
}

QList<WeatherProviderKind> sampleKinds() {
    using K = WeatherProviderKind;
    return {K::openMeteo, K::weatherKit, K::openWeather, K::metNorway, K::tomorrowIO};
}

double offset(WeatherProviderKind kind) {
    static constexpr std::array<double, 9> offsets = {0.0, 0.0, 1.0, -1.0, 2.0, -2.0, 1.0, -1.0, 1.0};
    return offsets[index(kind)];
}

QString attribution(WeatherProviderKind kind) {
    static constexpr std::array<const char*, 9> texts = {
        "Weather data by Open-Meteo",      "Weather data by Apple Weather", "Weather data by OpenWeather",
        "Weather data by Visual Crossing", "Official U.S. alerts by NWS",   "Weather data by MET Norway",
        "Weather data by WeatherAPI.com",  "Weather data by Tomorrow.io",   "Weather data by Pirate Weather"};
    return QString::fromUtf8(texts[index(kind)]);
}

QList<ProviderForecast> providerForecasts(const WeatherLocation& location, const QDateTime& now,
                                          const LocalCalendar& calendar) {
    QList<ProviderForecast> out;
    for (const WeatherProviderKind kind : sampleKinds())
        out.append(forecast(kind, location, now, calendar));
    return out;
}

ProviderForecast forecast(WeatherProviderKind provider, const WeatherLocation& location, const QDateTime& now,
                          const LocalCalendar& calendar) {
    const double o = offset(provider);
    ProviderForecast f;
    f.provider = provider;
    f.locationID = location.id;
    f.issuedAt = now;
    f.expiresAt = now.addSecs(45 * 60);
    f.attribution = attribution(provider);
    f.current = currentSample(provider, now);
    f.hourly = hourlySamples(o, now, calendar);
    f.daily = dailyForecasts(o, now, calendar);
    if (provider == WeatherProviderKind::nws)
        f.alerts.append(sampleAlert(now));
    return f;
}

} // namespace nimbra::WeatherFixtures
