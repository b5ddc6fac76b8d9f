// The refresh triggers: flags, the single running refresh, the current-location gate, the skip rule and the
// timer's period.
#include "RefreshScheduler.h"
#include "SystemEvents.h"

#include "Cancellation.h"

#include <QSignalSpy>
#include <QTest>

#include <QCoro/QCoroSignal>

using namespace nimbra;
using namespace std::chrono_literals;

namespace {

const QDateTime kStart(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

WeatherLocation location(bool current) {
    WeatherLocation l;
    l.id = QUuid::createUuid();
    l.name = current ? QStringLiteral("Leeds") : QStringLiteral("Oslo");
    l.isCurrentLocation = current;
    return l;
}

// Records what the scheduler asks for; with `hold`, each refresh waits until release().
class FakeTarget final : public RefreshTarget {
public:
    std::optional<WeatherLocation> selected;
    bool hasCurrent = true;
    int minutes = 30;
    bool needsRefresh = false;
    bool hold = false;
    QStringList calls;

    std::optional<WeatherLocation> selectedLocation() const override { return selected; }
    bool hasCurrentLocation() const override { return hasCurrent; }
    int refreshIntervalMinutes() const override { return minutes; }
    bool selectedForecastNeedsRefresh() const override { return needsRefresh; }
    QCoro::Task<void> refreshCurrentLocationForBackground() override {
        co_await step(QStringLiteral("current"));
    }
    QCoro::Task<void> refreshSelected() override { co_await step(QStringLiteral("selected")); }

    void release() { std::exchange(m_gate, makeCancellation())->cancel(); }

private:
    QCoro::Task<void> step(QString name) {
        calls.append(name);
        if (hold) {
            const auto gate = m_gate;
            co_await qCoro(gate.get(), &Cancellation::cancelled);
        }
    }
    CancellationToken m_gate = makeCancellation();
};

struct TimerLog {
    QList<std::chrono::seconds> starts;
    QList<std::chrono::seconds> tolerances;
    std::function<void()> tick;
    int stops = 0;
};

class FakeTimer final : public RepeatingTimer {
public:
    explicit FakeTimer(std::shared_ptr<TimerLog> log) : m_log(std::move(log)) {}
    void start(std::chrono::seconds interval, std::chrono::seconds tolerance,
               std::function<void()> tick) override {
        m_log->starts.append(interval);
        m_log->tolerances.append(tolerance);
        m_log->tick = std::move(tick);
    }
    void stop() override { ++m_log->stops; }

private:
    std::shared_ptr<TimerLog> m_log;
};

struct Rig {
    FakeTarget target;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(kStart);
    std::shared_ptr<TimerLog> timer = std::make_shared<TimerLog>();
    RefreshScheduler scheduler{target, clock, std::make_unique<FakeTimer>(timer)};
};

} // namespace

class TestRefreshScheduler : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void triggerTable_data() {
        QTest::addColumn<RefreshTrigger>("trigger");
        QTest::addColumn<bool>("selectedIsCurrent");
        QTest::addColumn<bool>("hasCurrent");
        QTest::addColumn<bool>("needsRefresh");
        QTest::addColumn<bool>("recentlyResolved");
        QTest::addColumn<QStringList>("calls");
        const QStringList both{"current", "selected"}, current{"current"}, selected{"selected"}, none;
        // Launch and the menu force both; the current place selected is refreshed once, through its own path.
        QTest::newRow("launch, saved place")
            << RefreshTrigger::launch << false << true << false << true << both;
        QTest::newRow("launch, current place")
            << RefreshTrigger::launch << true << true << false << false << current;
        QTest::newRow("menu, saved place")
            << RefreshTrigger::menuRefresh << false << true << false << true << both;
        QTest::newRow("launch, no current")
            << RefreshTrigger::launch << false << false << false << false << selected;
        // Waking re-resolves within the interval, but refreshes a saved place only when it is due.
        QTest::newRow("wake, fresh saved")
            << RefreshTrigger::wake << false << true << false << true << current;
        QTest::newRow("wake, stale saved") << RefreshTrigger::wake << false << true << true << true << both;
        // Unforced triggers wait for the interval and the forecast's age.
        QTest::newRow("popover, all fresh")
            << RefreshTrigger::popoverOpened << false << true << false << true << none;
        QTest::newRow("popover, stale saved")
            << RefreshTrigger::popoverOpened << false << true << true << true << selected;
        QTest::newRow("active, never resolved")
            << RefreshTrigger::becameActive << false << true << false << false << current;
        QTest::newRow("tick, current due and selected")
            << RefreshTrigger::timerTick << true << true << true << false << current;
        QTest::newRow("tick, current fresh but selected stale")
            << RefreshTrigger::timerTick << true << true << true << true << selected;
    }
    void triggerTable() {
        QFETCH(RefreshTrigger, trigger);
        QFETCH(bool, selectedIsCurrent);
        QFETCH(bool, hasCurrent);
        QFETCH(bool, needsRefresh);
        QFETCH(bool, recentlyResolved);
        QFETCH(QStringList, calls);
        Rig rig;
        rig.target.selected = location(selectedIsCurrent);
        rig.target.hasCurrent = hasCurrent;
        if (recentlyResolved) {
            // A forced pass stamps the current location; the trigger under test follows a minute later.
            rig.scheduler.start({true, false});
            rig.target.calls.clear();
            rig.clock->advance(60);
        }
        rig.target.needsRefresh = needsRefresh;
        QVERIFY(rig.scheduler.start(refreshFlags(trigger)));
        QCOMPARE(rig.target.calls, calls);
        QVERIFY(!rig.scheduler.isRunning());
    }

    void aRunningRefreshDropsTriggers() {
        Rig rig;
        rig.target.selected = location(false);
        rig.target.hold = true;
        QSignalSpy finished(&rig.scheduler, &RefreshScheduler::refreshFinished);
        QVERIFY(rig.scheduler.start(refreshFlags(RefreshTrigger::launch)));
        QVERIFY(rig.scheduler.isRunning());
        // Opening the popover and the menu's Refresh while it runs start nothing, and are not queued.
        QVERIFY(!rig.scheduler.start(refreshFlags(RefreshTrigger::popoverOpened)));
        QVERIFY(!rig.scheduler.start(refreshFlags(RefreshTrigger::menuRefresh)));
        rig.target.release();
        QTRY_COMPARE(rig.target.calls, QStringList({"current", "selected"}));
        rig.target.release();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!rig.scheduler.isRunning());
        QCOMPARE(rig.target.calls.size(), 2);
        // Once it ended, the next trigger runs.
        rig.target.hold = false;
        QVERIFY(rig.scheduler.start(refreshFlags(RefreshTrigger::menuRefresh)));
        QCOMPARE(rig.target.calls.size(), 4);
    }

    void theGateCountsFromTheAttempt() {
        Rig rig;
        rig.target.selected = location(true);
        rig.target.minutes = 5; // counts as 15
        QVERIFY(rig.scheduler.shouldRefreshCurrentLocation(false));
        rig.target.hold = true;
        rig.scheduler.start({false, false});
        // Stamped before the store's work ends, whatever comes of it.
        QCOMPARE(rig.scheduler.lastCurrentLocationRefreshDate(), std::optional<QDateTime>(kStart));
        rig.target.release();
        QTRY_VERIFY(!rig.scheduler.isRunning());
        rig.clock->advance(15 * 60 - 1);
        QVERIFY(!rig.scheduler.shouldRefreshCurrentLocation(false));
        QVERIFY(rig.scheduler.shouldRefreshCurrentLocation(true));
        rig.clock->advance(1);
        QVERIFY(rig.scheduler.shouldRefreshCurrentLocation(false));
        // The interval is read afresh on every call.
        rig.target.minutes = 60;
        QVERIFY(!rig.scheduler.shouldRefreshCurrentLocation(false));
    }

    void intervalAndTolerance_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("5 counts as 15") << 5 << 900 << 180;
        QTest::newRow("15") << 15 << 900 << 180;
        QTest::newRow("60") << 60 << 3600 << 180;
        QTest::newRow("negative") << -40 << 900 << 180;
        QTest::newRow("beyond a day") << std::numeric_limits<int>::max() << 86400 << 180;
    }
    void intervalAndTolerance() {
        QFETCH(int, minutes);
        QFETCH(int, interval);
        QFETCH(int, tolerance);
        const auto period = RefreshScheduler::interval(minutes);
        QCOMPARE(period.count(), interval);
        QCOMPARE(RefreshScheduler::tolerance(period).count(), tolerance);
        QCOMPARE(RefreshScheduler::tolerance(std::chrono::seconds(600)).count(), 120);
    }

    void theTimerFollowsTheIntervalSetting() {
        Rig rig;
        rig.target.selected = location(false);
        rig.scheduler.settingsChanged(); // no timer yet: nothing to reschedule
        QVERIFY(rig.timer->starts.isEmpty());
        rig.scheduler.startTimer();
        QCOMPARE(rig.timer->starts, QList<std::chrono::seconds>({1800s}));
        QCOMPARE(rig.timer->tolerances, QList<std::chrono::seconds>({180s}));
        // An unrelated change keeps the schedule; a new interval replaces it at once.
        rig.scheduler.settingsChanged();
        rig.target.minutes = 10; // 15 in effect
        rig.scheduler.settingsChanged();
        rig.target.minutes = 15;
        rig.scheduler.settingsChanged();
        QCOMPARE(rig.timer->starts, QList<std::chrono::seconds>({1800s, 900s}));
        // A tick is an unforced trigger.
        rig.target.needsRefresh = true;
        rig.scheduler.start({true, false});
        rig.target.calls.clear();
        rig.timer->tick();
        QCOMPARE(rig.target.calls, QStringList({"selected"}));
        rig.scheduler.shutDown();
        QCOMPARE(rig.timer->stops, 1);
        rig.scheduler.settingsChanged();
        QCOMPARE(rig.timer->starts.size(), 2);
    }

    // After a wake-up the refresh waits for the network: at least the settle time, at most the limit.
    void wakeWaitsForTheNetwork() {
        std::optional<bool> up;
        WakeRefreshDelay delay(20ms, 400ms, [&] { return up; });
        QSignalSpy ready(&delay, &WakeRefreshDelay::ready);

        // A system that cannot tell: the settle time only.
        delay.woke();
        QVERIFY(delay.isWaiting());
        QVERIFY(ready.wait(1000));
        QVERIFY(!delay.isWaiting());

        // Down after settling: it waits for the network to come up, once.
        up = false;
        delay.woke();
        delay.woke(); // a second wake-up restarts the wait; still one refresh
        QTest::qWait(60);
        QCOMPARE(ready.count(), 1);
        QVERIFY(delay.isWaiting());
        delay.networkReachable();
        QCOMPARE(ready.count(), 2);
        delay.networkReachable();
        QCOMPARE(ready.count(), 2);

        // Never up: the limit ends the wait.
        delay.woke();
        QVERIFY(ready.wait(2000));
        QCOMPARE(ready.count(), 3);
        QTest::qWait(450);
        QCOMPARE(ready.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestRefreshScheduler)
#include "tst_refresh_scheduler.moc"
