#include "WeatherRefreshPipeline.h"

#include "ConsensusEngine.h"
#include "FailedForecast.h"
#include "Log.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <vector>

namespace nimbra {

namespace {

// Which of a client's fetch and its deadline comes first. Shared by the race and by the coroutine that
// watches the fetch, because the fetch may end (and its watcher touch this) after the race has been decided.
class ProviderRace {
public:
    ProviderRace() = default;
    ProviderRace(const ProviderRace&) = delete;
    ProviderRace& operator=(const ProviderRace&) = delete;

    ~ProviderRace() {
        if (!m_timer)
            return;
        // May run inside the timer's own timeout: detach it now, delete it once control is back in the loop.
        QObject::disconnect(m_cancelConnection);
        m_timer->disconnect();
        m_timer->stop();
        m_timer->deleteLater();
    }

    // Starts the deadline unless the fetch has already ended. A cancelled refresh counts as a passed
    // deadline.
    void arm(std::chrono::milliseconds timeout, const CancellationToken& refreshCancel) {
        if (m_decided)
            return;
        if (refreshCancel && refreshCancel->isCancelled()) {
            decide();
            return;
        }
        // A coarse timer may fire up to 5 % early, which would cut off a client that answers just in time.
        m_timer = new QTimer;
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { decide(); });
        if (refreshCancel)
            m_cancelConnection = QObject::connect(refreshCancel.get(), &Cancellation::cancelled, m_timer,
                                                  [this] { decide(); });
        m_timer->start(timeout);
    }

    void finishFetch(std::optional<ProviderForecast> result) {
        if (m_decided)
            return; // too late: the deadline won and the result is dropped
        m_fetched = std::move(result);
        decide();
    }

    std::optional<ProviderForecast> takeFetched() { return std::exchange(m_fetched, std::nullopt); }

    auto decided() {
        struct Awaiter {
            ProviderRace& race;
            bool await_ready() const noexcept { return race.m_decided; }
            void await_suspend(std::coroutine_handle<> waiter) noexcept { race.m_waiter = waiter; }
            void await_resume() const noexcept {}
        };
        return Awaiter{*this};
    }

private:
    void decide() {
        if (m_decided)
            return;
        m_decided = true;
        if (m_timer)
            m_timer->stop();
        // Nothing of this object may be touched after the waiter resumed: it may have dropped the last
        // reference.
        if (const auto waiter = std::exchange(m_waiter, nullptr))
            waiter.resume();
    }

    bool m_decided = false;
    std::optional<ProviderForecast> m_fetched;
    std::coroutine_handle<> m_waiter;
    QTimer* m_timer = nullptr;
    QMetaObject::Connection m_cancelConnection;
};

QCoro::Task<void> watchFetch(QCoro::Task<ProviderForecast> fetch, std::shared_ptr<ProviderRace> race) {
    std::optional<ProviderForecast> result;
    try {
        result = co_await fetch;
    } catch (...) {
        // A client is not supposed to throw; whatever it threw ends its race as a time-out.
    }
    race->finishFetch(std::move(result));
}

QString statusWord(const ProviderForecast& forecast, const QDateTime& now) {
    if (!forecast.current)
        return QStringLiteral("empty");
    return forecast.expiresAt < now ? QStringLiteral("stale") : QStringLiteral("live");
}

void logFinished(const ProviderForecast& forecast, const QDateTime& now) {
    const QString name = providers::displayName(forecast.provider);
    // Only a non-empty error text makes the line an error; the summary counts any error text as a failure.
    if (forecast.errorMessage && !forecast.errorMessage->isEmpty()) {
        qCWarning(providersLog, "Provider refresh finished: %s status=failed error=%s", qUtf8Printable(name),
                  qUtf8Printable(privateValue(providersLog(), *forecast.errorMessage)));
        return;
    }
    qCInfo(providersLog,
           "Provider refresh finished: %s status=%s current=%s hourly=%lld daily=%lld alerts=%lld",
           qUtf8Printable(name), qUtf8Printable(statusWord(forecast, now)),
           forecast.current ? "true" : "false", static_cast<long long>(forecast.hourly.size()),
           static_cast<long long>(forecast.daily.size()), static_cast<long long>(forecast.alerts.size()));
}

void logSummary(const QList<ProviderForecast>& forecasts, const ConsensusForecast& consensus,
                const QDateTime& now) {
    long long live = 0, stale = 0, empty = 0, failed = 0;
    for (const ProviderForecast& forecast : forecasts) {
        if (forecast.errorMessage)
            ++failed;
        else if (!forecast.current)
            ++empty;
        else if (forecast.expiresAt < now)
            ++stale;
        else
            ++live;
    }
    qCInfo(providersLog,
           "Weather refresh summary: attempted=%lld live=%lld stale=%lld empty=%lld failed=%lld "
           "consensusProviders=%d state=%s confidence=%f",
           static_cast<long long>(forecasts.size()), live, stale, empty, failed, consensus.providerCount,
           qUtf8Printable(rawValue(consensus.state)), consensus.confidence);
}

// One client against its deadline. Whatever happens, the fetch has ended before this returns, so no coroutine
// of the client outlives the refresh.
QCoro::Task<ProviderForecast> raceProvider(WeatherProviderClientPtr client, WeatherLocation location,
                                           std::chrono::milliseconds timeout, CancellationToken refreshCancel,
                                           std::shared_ptr<const Clock> clock) {
    const WeatherProviderKind provider = client->provider();
    const QString name = providers::displayName(provider);
    qCInfo(providersLog, "Provider refresh started: %s", qUtf8Printable(name));

    const auto race = std::make_shared<ProviderRace>();
    const CancellationToken fetchCancel = makeCancellation();
    QCoro::Task<void> watcher = watchFetch(client->forecast(location, fetchCancel), race);
    race->arm(timeout, refreshCancel);
    co_await race->decided();

    std::optional<ProviderForecast> forecast = race->takeFetched();
    if (!forecast) {
        fetchCancel->cancel();
        co_await watcher; // a client slow to stop makes this race longer, never leaves it running
        forecast =
            failedForecast(provider, location, clock->now(), name, WeatherRefreshPipeline::timeoutMessage());
    }
    logFinished(*forecast, clock->now());
    co_return std::move(*forecast);
}

// Every client at once; the forecasts in the clients' order.
QCoro::Task<QList<ProviderForecast>> raceAll(QList<WeatherProviderClientPtr> clients,
                                             WeatherLocation location, std::chrono::milliseconds timeout,
                                             CancellationToken cancel, std::shared_ptr<const Clock> clock) {
    // Tasks start eagerly: every client is running before the first result is awaited.
    std::vector<QCoro::Task<ProviderForecast>> races;
    races.reserve(static_cast<std::size_t>(clients.size()));
    for (const auto& client : std::as_const(clients))
        races.push_back(raceProvider(client, location, timeout, cancel, clock));

    QList<ProviderForecast> forecasts;
    for (auto& race : races)
        forecasts.append(co_await race);
    co_return forecasts;
}

// The later clients, raced once they are built.
QCoro::Task<QList<ProviderForecast>> raceWhenBuilt(LaterClients later, WeatherLocation location,
                                                   std::chrono::milliseconds timeout,
                                                   CancellationToken cancel,
                                                   std::shared_ptr<const Clock> clock) {
    if (!later.build)
        co_return QList<ProviderForecast>();
    // Named, not temporaries of the co_await expression (GCC 12 may destroy those twice).
    QCoro::Task<QList<WeatherProviderClientPtr>> building = later.build();
    QList<WeatherProviderClientPtr> clients = co_await std::move(building);
    clients.removeAll(nullptr);
    QCoro::Task<QList<ProviderForecast>> racing =
        raceAll(std::move(clients), std::move(location), timeout, std::move(cancel), std::move(clock));
    co_return co_await std::move(racing);
}

QCoro::Task<WeatherRefreshResult> runRefresh(QList<WeatherProviderClientPtr> clients, LaterClients later,
                                             WeatherLocation location, AccuracyScores accuracyScores,
                                             CancellationToken cancel, std::chrono::milliseconds timeout,
                                             std::shared_ptr<const Clock> clock, LocalCalendar calendar) {
    QStringList names;
    for (const auto& client : std::as_const(clients))
        names.append(providers::displayName(client->provider()));
    for (const WeatherProviderKind kind : providers::sortedByRawValue(later.kinds))
        names.append(providers::displayName(kind));
    qCInfo(providersLog, "Weather refresh started for %s: %lld enabled providers [%s]",
           qUtf8Printable(privateValue(providersLog(), location.name)), static_cast<long long>(names.size()),
           qUtf8Printable(names.join(QStringLiteral(", "))));

    QCoro::Task<QList<ProviderForecast>> racingNow = raceAll(clients, location, timeout, cancel, clock);
    QCoro::Task<QList<ProviderForecast>> racingLater =
        raceWhenBuilt(std::move(later), location, timeout, cancel, clock);
    WeatherRefreshResult result;
    result.forecasts = co_await std::move(racingNow);
    result.forecasts += co_await std::move(racingLater);
    std::stable_sort(result.forecasts.begin(), result.forecasts.end(),
                     [](const ProviderForecast& a, const ProviderForecast& b) {
                         return providers::rawValueLess(a.provider, b.provider);
                     });

    const QDateTime now = clock->now();
    result.consensus =
        ConsensusEngine::build(location, result.forecasts, accuracyScores, now, calendar, *clock);
    logSummary(result.forecasts, result.consensus, clock->now());
    co_return result;
}

} // namespace

WeatherRefreshPipeline::WeatherRefreshPipeline(QList<WeatherProviderClientPtr> clients,
                                               std::chrono::milliseconds providerTimeout,
                                               std::shared_ptr<const Clock> clock, LocalCalendar calendar,
                                               LaterClients later)
    : m_clients(std::move(clients)), m_providerTimeout(providerTimeout), m_clock(std::move(clock)),
      m_calendar(std::move(calendar)), m_later(std::move(later)) {
    m_clients.removeAll(nullptr);
}

QCoro::Task<WeatherRefreshResult> WeatherRefreshPipeline::refresh(WeatherLocation location,
                                                                  AccuracyScores accuracyScores,
                                                                  CancellationToken cancel) const {
    // A free coroutine with copies of everything, so a pipeline dropped mid-refresh leaves nothing dangling.
    return runRefresh(m_clients, m_later, std::move(location), std::move(accuracyScores), std::move(cancel),
                      m_providerTimeout, m_clock, m_calendar);
}

} // namespace nimbra
