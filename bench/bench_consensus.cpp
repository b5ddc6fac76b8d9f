// The consensus of five providers, as a refresh builds it, over growing hourly series.
#include "ConsensusEngine.h"
#include "WeatherFixtures.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace nimbra;

namespace {

const QDateTime kNow(QDate(2025, 6, 2), QTime(10, 20), Qt::UTC);

// Five live providers, each with `hours` hourly samples and ten days, slightly apart from each other.
QList<ProviderForecast> forecasts(int hours) {
    const LocalCalendar calendar = LocalCalendar::system();
    QList<ProviderForecast> out;
    int n = 0;
    for (const WeatherProviderKind kind : WeatherFixtures::sampleKinds()) {
        ProviderForecast f = WeatherFixtures::forecast(kind, WeatherFixtures::home(), kNow, calendar);
        const QDateTime start = f.hourly.first().date.addSecs(n * 60);
        f.hourly.clear();
        for (int h = 0; h < hours; ++h) {
            WeatherSample s;
            s.date = start.addSecs(qint64(h) * 3600);
            s.temperatureC = 20 + n * 0.5 + 3 * std::sin(h / 4.0);
            s.apparentTemperatureC = s.temperatureC + 1;
            s.humidity = 0.5 + 0.01 * n;
            s.windKph = 10 + (h + n) % 7;
            s.condition = (h + n) % 5 == 0 ? WeatherCondition::rain : WeatherCondition::partlyCloudy;
            s.precipitationProbability = 0.1 * ((h + n) % 8);
            s.precipitationIntensityMmPerHour = 0.2;
            f.hourly.append(s);
        }
        out.append(f);
        ++n;
    }
    return out;
}

void BM_ConsensusBuild(benchmark::State& state) {
    const QList<ProviderForecast> input = forecasts(int(state.range(0)));
    const LocalCalendar calendar = LocalCalendar::system();
    const AccuracyScores scores{{WeatherProviderKind::metNorway, {WeatherProviderKind::metNorway, 20, 2.5}}};
    for (auto _ : state) {
        ConsensusForecast c = ConsensusEngine::build(WeatherFixtures::home(), input, scores, kNow, calendar);
        benchmark::DoNotOptimize(c);
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_ConsensusBuild)->Arg(48)->Arg(240)->Arg(960)->Unit(benchmark::kMicrosecond)->Complexity();

NIMBRA_BENCHMARK_MAIN()
