// Writes a snapshot built from the sample forecasts, as the application would after a refresh, so the widget
// host can be measured and looked at without the application; or, given a number of places, the benchmarks'
// large snapshot of that many places (five providers of 240 hours each).
// Usage: sample_snapshot <file> [degrees added] [hours old] [places]
#include "ConsensusEngine.h"
#include "LargeSnapshot.h"
#include "WeatherCache.h"
#include "WeatherFixtures.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int write(const char* file, const nimbra::CachedWeatherPayload& payload) {
    if (const auto error = nimbra::WeatherCache(QString::fromLocal8Bit(file)).save(payload)) {
        std::fprintf(stderr, "%s\n", qPrintable(error->description));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: sample_snapshot <file> [degrees added] [hours old] [places]\n", stderr);
        return 2;
    }
    using namespace nimbra;
    const double added = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 0;
    // An old snapshot makes the application refresh as it starts.
    const double hoursOld = argc > 3 ? QString::fromLocal8Bit(argv[3]).toDouble() : 0;
    const QDateTime now = QDateTime::currentDateTimeUtc().addSecs(qint64(-hoursOld * 3600));
    if (argc > 4) {
        const int places = QString::fromLocal8Bit(argv[4]).toInt();
        if (places < 1) {
            std::fputs("sample_snapshot: places must be a whole number of at least 1\n", stderr);
            return 2;
        }
        return write(argv[1], benchdata::largeSnapshot(places, benchdata::startOfHour(now)));
    }
    const WeatherLocation& home = WeatherFixtures::home();
    QList<ProviderForecast> forecasts = WeatherFixtures::providerForecasts(home, now);
    for (ProviderForecast& forecast : forecasts) {
        if (forecast.current)
            forecast.current->temperatureC += added;
        for (WeatherSample& sample : forecast.hourly)
            sample.temperatureC += added;
    }
    CachedWeatherPayload payload;
    payload.locations = {home};
    payload.settings.menuBarLocationID = home.id;
    payload.forecasts.insert(home.id, ConsensusEngine::build(home, forecasts, {}, now));
    return write(argv[1], payload);
}
