#include "ConsensusEngine.h"
#include "FailedForecast.h"
#include "PlaceholderWeatherClient.h"
#include "TestSupport.h"
#include "UUIDText.h"
#include "WeatherRefreshPipeline.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <coroutine>

using namespace nimbra;
using namespace std::chrono_literals;
using nimbra::testing::runTask;
using Kind = WeatherProviderKind;

namespace {

const QDateTime kNow(QDate(2025, 3, 14), QTime(9, 30), Qt::UTC);
const LocalCalendar kCalendar(QTimeZone::utc(), QLocale::c());

WeatherLocation place() {
    WeatherLocation location;
    location.id = *parseUUID(u"0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F");
    location.name = QStringLiteral("Tromsø");
    location.latitude = 69.65;
    location.longitude = 18.96;
    location.updatedAt = kNow;
    return location;
}

ProviderForecast liveForecast(Kind kind, double temperature = 10) {
    ProviderForecast f;
    f.provider = kind;
    f.locationID = place().id;
    f.issuedAt = kNow;
    f.expiresAt = kNow.addSecs(1800);
    f.attribution = providers::displayName(kind);
    f.current = WeatherSample{kNow, temperature, std::nullopt, 0.5, 10.0, WeatherCondition::cloudy, 0.1, 0.0};
    f.hourly = {*f.current, *f.current};
    return f;
}

// Every fake fetch frame alive; zero once every started coroutine has run to its end.
int g_liveFetches = 0;
struct LiveFetch {
    LiveFetch() { ++g_liveFetches; }
    ~LiveFetch() { --g_liveFetches; }
    LiveFetch(const LiveFetch&) = delete;
    LiveFetch& operator=(const LiveFetch&) = delete;
};

// Resumes after `delay`, or as soon as `cancel` fires when `honourCancel`. Says whether it was cancelled.
class Sleep {
public:
    Sleep(std::chrono::milliseconds delay, const CancellationToken& cancel, bool honourCancel)
        : m_state(std::make_shared<State>()) {
        State* state = m_state.get();
        state->timer.setSingleShot(true);
        state->timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&state->timer, &QTimer::timeout, &state->timer, [state] { state->wake(false); });
        if (cancel && honourCancel)
            QObject::connect(cancel.get(), &Cancellation::cancelled, &state->timer,
                             [state] { state->wake(true); });
        state->timer.start(delay);
    }
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter) noexcept { m_state->waiter = waiter; }
    bool await_resume() const noexcept { return m_state->cancelled; }

private:
    struct State {
        QTimer timer;
        std::coroutine_handle<> waiter;
        bool cancelled = false;
        void wake(bool wasCancelled) {
            cancelled = wasCancelled;
            timer.stop();
            timer.disconnect();
            if (const auto resumed = std::exchange(waiter, nullptr))
                resumed.resume();
        }
    };
    std::shared_ptr<State> m_state;
};

class FakeClient final : public WeatherProviderClient {
public:
    enum Behaviour { answers, honoursCancel, ignoresCancel };

    FakeClient(ProviderForecast answer, std::chrono::milliseconds delay, Behaviour behaviour = answers)
        : m_answer(std::move(answer)), m_delay(delay), m_behaviour(behaviour) {}

    WeatherProviderKind provider() const override { return m_answer.provider; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation, CancellationToken cancel) override {
        const LiveFetch live;
        Sleep sleep(m_delay, cancel, m_behaviour != ignoresCancel);
        const bool cancelled = co_await sleep;
        sawCancellation = cancelled || (cancel && cancel->isCancelled());
        co_return ProviderForecast(m_answer); // a copy: returning the member itself would move from it
    }

    bool sawCancellation = false;

private:
    ProviderForecast m_answer;
    std::chrono::milliseconds m_delay;
    Behaviour m_behaviour;
};

struct LogLine {
    QtMsgType type;
    QString text;
};
QList<LogLine> g_lines;

void captureLog(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (QByteArray(context.category).endsWith(".Providers"))
        g_lines.append({type, text});
}

QStringList textsOf(QtMsgType type) {
    QStringList texts;
    for (const auto& line : std::as_const(g_lines)) {
        if (line.type == type)
            texts.append(line.text);
    }
    return texts;
}

QList<Kind> kindsOf(const QList<ProviderForecast>& forecasts) {
    QList<Kind> kinds;
    for (const auto& forecast : forecasts)
        kinds.append(forecast.provider);
    return kinds;
}

} // namespace

class RefreshPipelineTest : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<ManualClock> m_clock;
    QtMessageHandler m_previousHandler = nullptr;

    WeatherRefreshPipeline pipeline(QList<WeatherProviderClientPtr> clients,
                                    std::chrono::milliseconds timeout = 400ms) const {
        return WeatherRefreshPipeline(std::move(clients), timeout, m_clock, kCalendar);
    }

private Q_SLOTS:
    void init() {
        m_clock = std::make_shared<ManualClock>(kNow);
        g_lines.clear();
        m_previousHandler = qInstallMessageHandler(captureLog);
    }

    void cleanup() {
        qInstallMessageHandler(m_previousHandler);
        QCOMPARE(g_liveFetches, 0);
    }

    void resultsComeInRawValueOrderAndClientsRunTogether() {
        const QList<WeatherProviderClientPtr> clients{
            std::make_shared<FakeClient>(liveForecast(Kind::weatherKit, 11), 600ms),
            std::make_shared<FakeClient>(liveForecast(Kind::openMeteo, 10), 200ms),
            std::make_shared<PlaceholderWeatherClient>(Kind::tomorrowIO, "Tomorrow.io API key is missing.",
                                                       m_clock),
            std::make_shared<FakeClient>(liveForecast(Kind::metNorway, 12), 400ms),
        };
        AccuracyScores scores;
        scores.insert(Kind::metNorway, ProviderAccuracyScore{Kind::metNorway, 40, 0.4});
        QElapsedTimer elapsed;
        elapsed.start();
        const auto result = runTask(pipeline(clients, 2s).refresh(place(), scores));
        QVERIFY(result);
        QVERIFY2(elapsed.elapsed() < 1000, "clients must run at the same time, not one after the other");

        QCOMPARE(kindsOf(result->forecasts),
                 (QList{Kind::metNorway, Kind::openMeteo, Kind::tomorrowIO, Kind::weatherKit}));
        QCOMPARE(result->forecasts[0], liveForecast(Kind::metNorway, 12));
        QCOMPARE(result->forecasts[2].errorMessage, QStringLiteral("Tomorrow.io API key is missing."));
        QCOMPARE(result->consensus,
                 ConsensusEngine::build(place(), result->forecasts, scores, kNow, kCalendar, *m_clock));
    }

    void lateClientsYieldTheTimeoutForecast_data() {
        QTest::addColumn<int>("behaviour");
        QTest::newRow("stops when told") << int(FakeClient::honoursCancel);
        QTest::newRow("ignores being told") << int(FakeClient::ignoresCancel);
    }
    void lateClientsYieldTheTimeoutForecast() {
        QFETCH(int, behaviour);
        const auto late = std::make_shared<FakeClient>(liveForecast(Kind::openWeather), 700ms,
                                                       FakeClient::Behaviour(behaviour));
        const auto prompt = std::make_shared<FakeClient>(liveForecast(Kind::openMeteo), 20ms);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto result = runTask(pipeline({late, prompt}, 150ms).refresh(place(), {}));
        QVERIFY(result);

        QCOMPARE(result->forecasts.size(), 2);
        QCOMPARE(result->forecasts[0], liveForecast(Kind::openMeteo));
        const ProviderForecast timedOut = result->forecasts[1];
        QCOMPARE(timedOut,
                 failedForecast(Kind::openWeather, place(), kNow, "OpenWeather", "Provider timed out."));
        QVERIFY(!timedOut.current && timedOut.hourly.isEmpty() && timedOut.issuedAt == timedOut.expiresAt);
        QVERIFY(late->sawCancellation);
        if (behaviour == FakeClient::ignoresCancel)
            QVERIFY2(elapsed.elapsed() >= 650, "the refresh waits until the cancelled fetch has ended");
        else
            QVERIFY(elapsed.elapsed() < 600);
        QVERIFY(textsOf(QtWarningMsg)
                    .contains("Provider refresh finished: OpenWeather status=failed error=<private>"));
    }

    void anAnswerJustInsideTheDeadlineIsUsed() {
        const auto justInTime =
            std::make_shared<FakeClient>(liveForecast(Kind::metNorway), 250ms, FakeClient::honoursCancel);
        const auto result = runTask(pipeline({justInTime}, 300ms).refresh(place(), {}));
        QVERIFY(result);
        QCOMPARE(result->forecasts, QList{liveForecast(Kind::metNorway)});
        QVERIFY(!justInTime->sawCancellation);
    }

    // The real deadline: 11.9 s is in time, 20 s is not, and the refresh ends at about 12 s.
    void theTwelveSecondDeadline() {
        if (qEnvironmentVariableIsSet("NIMBRA_SKIP_SLOW_TESTS"))
            QSKIP("slow test skipped on request");
        const auto inTime = std::make_shared<FakeClient>(liveForecast(Kind::metNorway), 11900ms);
        const auto tooLate =
            std::make_shared<FakeClient>(liveForecast(Kind::openMeteo), 20s, FakeClient::honoursCancel);
        QElapsedTimer elapsed;
        elapsed.start();
        const WeatherRefreshPipeline realDeadline(
            {inTime, tooLate}, WeatherRefreshPipeline::defaultProviderTimeout, m_clock, kCalendar);
        const auto result = runTask(realDeadline.refresh(place(), {}));
        QVERIFY(result);
        QCOMPARE(result->forecasts[0], liveForecast(Kind::metNorway));
        QCOMPARE(result->forecasts[1].errorMessage, QStringLiteral("Provider timed out."));
        QVERIFY(elapsed.elapsed() >= 12000 && elapsed.elapsed() < 14000);
    }

    void cancellingTheRefreshEndsEveryRace() {
        const auto never =
            std::make_shared<FakeClient>(liveForecast(Kind::weatherKit), 60s, FakeClient::honoursCancel);
        const auto cancel = makeCancellation();
        QTimer::singleShot(50, cancel.get(), &Cancellation::cancel);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto result = runTask(pipeline({never}, 12s).refresh(place(), {}, cancel), 5s);
        QVERIFY(result);
        QVERIFY(elapsed.elapsed() < 2000);
        QCOMPARE(result->forecasts[0].errorMessage, QStringLiteral("Provider timed out."));
        QVERIFY(never->sawCancellation);
    }

    void aPipelineDroppedMidRefreshLeavesNothingBehind() {
        const auto slow = std::make_shared<FakeClient>(liveForecast(Kind::openMeteo), 100ms);
        QCoro::Task<WeatherRefreshResult> refresh;
        {
            const auto dropped = pipeline({slow});
            refresh = dropped.refresh(place(), {});
        }
        const auto result = runTask(std::move(refresh));
        QVERIFY(result);
        QCOMPARE(result->forecasts, QList{liveForecast(Kind::openMeteo)});
    }

    // The finished lines classify by the error text's content, the summary by its presence.
    void logLinesAndPrivacy() {
        ProviderForecast emptyError = liveForecast(Kind::openWeather);
        emptyError.errorMessage = QString();
        ProviderForecast stale = liveForecast(Kind::metNorway);
        stale.expiresAt = kNow.addSecs(-1);
        ProviderForecast expiresNow = liveForecast(Kind::openMeteo);
        expiresNow.expiresAt = kNow;
        ProviderForecast noCurrent = liveForecast(Kind::weatherKit);
        noCurrent.current.reset();
        const QList<WeatherProviderClientPtr> clients{
            std::make_shared<FakeClient>(emptyError, 1ms),
            std::make_shared<FakeClient>(stale, 1ms),
            std::make_shared<FakeClient>(expiresNow, 1ms),
            std::make_shared<FakeClient>(noCurrent, 1ms),
            std::make_shared<PlaceholderWeatherClient>(Kind::tomorrowIO, "Tomorrow.io API key is missing.",
                                                       m_clock),
        };
        const auto result = runTask(pipeline(clients).refresh(place(), {}));
        QVERIFY(result);

        const QStringList info = textsOf(QtInfoMsg);
        QCOMPARE(info.first(), "Weather refresh started for <private>: 5 enabled providers [OpenWeather, MET "
                               "Norway, Open-Meteo, Apple Weather, Tomorrow.io]");
        QCOMPARE(info.count("Provider refresh started: MET Norway"), 1);
        for (const char* line :
             {"Provider refresh finished: OpenWeather status=live current=true hourly=2 daily=0 alerts=0",
              "Provider refresh finished: MET Norway status=stale current=true hourly=2 daily=0 alerts=0",
              "Provider refresh finished: Open-Meteo status=live current=true hourly=2 daily=0 alerts=0",
              "Provider refresh finished: Apple Weather status=empty current=false hourly=2 daily=0 "
              "alerts=0"})
            QVERIFY2(info.contains(line), line);
        QCOMPARE(textsOf(QtWarningMsg),
                 QStringList{"Provider refresh finished: Tomorrow.io status=failed error=<private>"});
        QCOMPARE(info.last(),
                 QStringLiteral("Weather refresh summary: attempted=5 live=1 stale=1 empty=1 failed=2 "
                                "consensusProviders=%1 state=%2 confidence=%3")
                     .arg(result->consensus.providerCount)
                     .arg(rawValue(result->consensus.state))
                     .arg(result->consensus.confidence, 0, 'f', 6));
        QVERIFY(!g_lines.isEmpty() && std::none_of(g_lines.begin(), g_lines.end(), [](const LogLine& l) {
            return l.text.contains(QStringLiteral("Tromsø")) || l.text.contains("key is missing");
        }));
    }

    void noClientsGiveAnEmptyList() {
        const auto result = runTask(pipeline({}).refresh(place(), {}));
        QVERIFY(result);
        QVERIFY(result->forecasts.isEmpty());
        QCOMPARE(result->consensus, ConsensusEngine::build(place(), {}, {}, kNow, kCalendar, *m_clock));
        QCOMPARE(textsOf(QtInfoMsg).first(), "Weather refresh started for <private>: 0 enabled providers []");
        QVERIFY(textsOf(QtInfoMsg).last().startsWith("Weather refresh summary: attempted=0 live=0"));
    }
};

QTEST_GUILESS_MAIN(RefreshPipelineTest)
#include "tst_refresh_pipeline.moc"
