#pragma once

#include "Cancellation.h"
#include "Clock.h"
#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "ProviderWeighting.h"
#include "WeatherProviderClient.h"

#include <QCoreApplication>
#include <QList>

#include <chrono>
#include <functional>

namespace nimbra {

struct WeatherRefreshResult {
    ConsensusForecast consensus;
    // One forecast per client, ordered by the provider's raw value.
    QList<ProviderForecast> forecasts;
};

// Clients that can be built only once something they need is at hand (the API keys, read from the keyring).
// `build` is called as the refresh starts and gives them when it can; the other clients do not wait for them,
// and their deadlines start once they are built.
struct LaterClients {
    // The kinds `build` gives, for the log.
    ProviderSet kinds;
    std::function<QCoro::Task<QList<WeatherProviderClientPtr>>()> build;
};

// One refresh of one location: every client is asked at once, each gets at most `providerTimeout` (a client
// that is later is told to stop and yields "Provider timed out."), and the results are blended into the
// consensus. Never fails. Runs on the calling thread's event loop; the pipeline object may be dropped while a
// refresh runs.
class WeatherRefreshPipeline {
public:
    static constexpr std::chrono::milliseconds defaultProviderTimeout{12'000};
    static QString timeoutMessage() {
        return QCoreApplication::translate("WeatherRefreshPipeline", "Provider timed out.");
    }

    explicit WeatherRefreshPipeline(QList<WeatherProviderClientPtr> clients,
                                    std::chrono::milliseconds providerTimeout = defaultProviderTimeout,
                                    std::shared_ptr<const Clock> clock = Clock::system(),
                                    LocalCalendar calendar = LocalCalendar::system(),
                                    LaterClients later = {});

    const QList<WeatherProviderClientPtr>& clients() const { return m_clients; }

    // Cancelling `cancel` ends every race still running as if its time were up.
    QCoro::Task<WeatherRefreshResult> refresh(WeatherLocation location, AccuracyScores accuracyScores,
                                              CancellationToken cancel = {}) const;

private:
    QList<WeatherProviderClientPtr> m_clients;
    std::chrono::milliseconds m_providerTimeout;
    std::shared_ptr<const Clock> m_clock;
    LocalCalendar m_calendar;
    LaterClients m_later;
};

} // namespace nimbra
