// One refresh over five clients that fetch from a loopback server answering after 100 to 500 ms: the refresh
// should end within a few milliseconds of the slowest answer, never near the sum of them.
#include "BenchSupport.h"
#include "LoopbackHTTPServer.h"
#include "OpenMeteoWeatherClient.h"
#include "TestSupport.h"
#include "WeatherFixtures.h"
#include "WeatherRefreshPipeline.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>

using namespace nimbra;

namespace {

// Fetches its own path on the loopback server and decodes the body as an Open-Meteo answer.
class LoopbackClient final : public WeatherProviderClient {
public:
    LoopbackClient(WeatherProviderKind kind, std::shared_ptr<HTTPSession> session, QUrl url)
        : m_kind(kind), m_session(std::move(session)), m_url(std::move(url)) {}

    WeatherProviderKind provider() const override { return m_kind; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override {
        const auto session = m_session;
        const QUrl url = m_url;
        const WeatherProviderKind kind = m_kind;
        const HTTPResponse response = co_await session->get(QNetworkRequest(url), cancel);
        ProviderForecast forecast = OpenMeteoWeatherClient::forecastFromBody(response.body, location,
                                                                             QDateTime::currentDateTimeUtc());
        forecast.provider = kind;
        co_return forecast;
    }

private:
    WeatherProviderKind m_kind;
    std::shared_ptr<HTTPSession> m_session;
    QUrl m_url;
};

QByteArray document() {
    QFile file(QStringLiteral(NIMBRA_TEST_DATA "/providers/open-meteo/forecast-new-york.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_RefreshOverFiveLoopbackClients(benchmark::State& state) {
    LoopbackHTTPServer server;
    if (!server.listen()) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    const QByteArray body = document();
    const auto kinds = providers::allCases();
    const auto session = std::make_shared<HTTPSession>();
    QList<WeatherProviderClientPtr> clients;
    for (int i = 0; i < kinds.size(); ++i) {
        const QString path = QStringLiteral("/provider-%1").arg(i);
        server.route(path, CannedResponse::json(body).delayed(std::chrono::milliseconds(100 + 100 * i)));
        clients.append(std::make_shared<LoopbackClient>(kinds[i], session, server.url(path)));
    }
    const WeatherRefreshPipeline pipeline(clients);
    const WeatherLocation place = WeatherFixtures::home();
    double overSlowestMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto result = testing::runTask(pipeline.refresh(place, {}));
        const double elapsedMs = timer.nsecsElapsed() / 1e6;
        if (!result || result->forecasts.size() != kinds.size()) {
            state.SkipWithError("refresh did not finish");
            return;
        }
        state.SetIterationTime(elapsedMs / 1000);
        overSlowestMs = std::max(overSlowestMs, elapsedMs - 500);
    }
    state.counters["worst_ms_over_slowest"] = overSlowestMs;
}
BENCHMARK(BM_RefreshOverFiveLoopbackClients)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

NIMBRA_BENCHMARK_MAIN()
