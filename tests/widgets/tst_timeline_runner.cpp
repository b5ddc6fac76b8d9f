// The widget bundle against the store's reload list, and the timeline runner over a fake clock and timer.
#include "NimbraWidgetBundle.h"
#include "TimelineRunner.h"
#include "WeatherStore.h"

#include <QTest>

using namespace nimbra;
using namespace std::chrono_literals;

namespace {

const QDateTime t0 = QDateTime(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

class ScriptedProvider final : public TimelineProvider<WeatherWidgetEntry> {
public:
    Timeline<WeatherWidgetEntry> next;
    mutable int calls = 0;

    WeatherWidgetEntry placeholder(const TimelineProviderContext&) const override { return {}; }
    void getSnapshot(const TimelineProviderContext&,
                     const std::function<void(const WeatherWidgetEntry&)>& completion) const override {
        completion(next.entries.value(0));
    }
    void
    getTimeline(const TimelineProviderContext&,
                const std::function<void(const Timeline<WeatherWidgetEntry>&)>& completion) const override {
        ++calls;
        completion(next);
    }
};

class FakeWakeTimer final : public WakeTimer {
public:
    struct State {
        std::chrono::milliseconds delay{-1};
        std::function<void()> wake;
    };
    explicit FakeWakeTimer(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    void start(std::chrono::milliseconds delay, std::function<void()> wake) override {
        m_state->delay = delay;
        m_state->wake = std::move(wake);
    }

private:
    std::shared_ptr<State> m_state;
};

// Entries `minutes` after t0, each marked by its refresh interval so a test can tell which one shows.
Timeline<WeatherWidgetEntry> timelineAt(const QList<int>& minutes, TimelineReloadPolicy policy) {
    Timeline<WeatherWidgetEntry> timeline;
    for (const int m : minutes) {
        WeatherWidgetEntry entry;
        entry.date = t0.addSecs(60 * m);
        entry.settings.refreshIntervalMinutes = m;
        timeline.entries.append(entry);
    }
    timeline.policy = policy;
    return timeline;
}

struct RunnerHarness {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(t0);
    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>();
    std::shared_ptr<FakeWakeTimer::State> timer = std::make_shared<FakeWakeTimer::State>();
    TimelineRunner runner{QStringLiteral("NimbraCurrentWidget"), provider, clock,
                          std::make_unique<FakeWakeTimer>(timer)};
    int shown = 0;

    RunnerHarness() {
        QObject::connect(&runner, &TimelineRunner::entryChanged, [this] { ++shown; });
    }
    int showing() const { return runner.entry().settings.refreshIntervalMinutes; }
    void wakeAt(qint64 secondsAfterT0) {
        clock->set(t0.addSecs(secondsAfterT0));
        timer->wake();
    }
};

} // namespace

class TimelineRunnerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bundleMatchesTheReloadedKinds() {
        QCOMPARE(NimbraWidgetBundle::kinds(), WeatherStore::widgetKinds);
        using enum WidgetFamily;
        const QList<WidgetDescriptor>& all = NimbraWidgetBundle::widgets();
        QCOMPARE(all.size(), 3);
        QCOMPARE(all[0].displayName, QStringLiteral("Current Weather"));
        QCOMPARE(all[0].description, QStringLiteral("A polished current forecast with consensus details."));
        QCOMPARE(all[0].families, (QList<WidgetFamily>{systemSmall, systemMedium, systemLarge}));
        QCOMPARE(all[1].displayName, QStringLiteral("Hourly Outlook"));
        QCOMPARE(all[1].description, QStringLiteral("A compact view of the next several hours."));
        QCOMPARE(all[2].displayName, QStringLiteral("Ten Day Forecast"));
        QCOMPARE(all[2].description,
                 QStringLiteral("Daily conditions, low and high temperatures, and rain chance."));
        for (const WidgetDescriptor* d : {&all[1], &all[2]}) {
            QCOMPARE(d->families, (QList<WidgetFamily>{systemMedium, systemLarge}));
            QVERIFY(!d->supports(systemSmall));
        }
        QVERIFY(!NimbraWidgetBundle::widget(QStringLiteral("NimbraRadarWidget")));
        // Each root view draws exactly the size it is asked for.
        for (const WidgetDescriptor& d : all) {
            for (const WidgetFamily family : d.families) {
                std::unique_ptr<QWidget> view(d.rootView(WeatherWidgetEntry{}, family, nullptr));
                QCOMPARE(view->size(), widgetFamilySize(family));
            }
        }
    }

    void showsTheLatestEntryAtOrBeforeNow_data() {
        QTest::addColumn<qint64>("secondsAfterT0");
        QTest::addColumn<int>("shown");
        QTest::newRow("at the first") << qint64(0) << 0;
        QTest::newRow("between") << qint64(59 * 60) << 0;
        QTest::newRow("exactly at the second") << qint64(60 * 60) << 60;
        QTest::newRow("after the last") << qint64(5 * 3600) << 120;
        QTest::newRow("before the first shows the first") << qint64(-600) << 0;
    }
    void showsTheLatestEntryAtOrBeforeNow() {
        QFETCH(qint64, secondsAfterT0);
        QFETCH(int, shown);
        // Out of order on purpose: the choice goes by date, not by position.
        const Timeline<WeatherWidgetEntry> timeline = timelineAt({0, 120, 60}, TimelineReloadPolicy::never());
        const int index = TimelineRunner::entryIndexAt(timeline.entries, t0.addSecs(secondsAfterT0));
        QCOMPARE(timeline.entries[index].settings.refreshIntervalMinutes, shown);
        QCOMPARE(TimelineRunner::entryIndexAt({}, t0), -1);
    }

    void wakesForTheNextEntryTheReloadAndTheHeartbeat() {
        RunnerHarness h;
        // Entries 30 s apart would be merged by the provider, but the runner must still honour them.
        h.provider->next = timelineAt({0, 2, 4}, TimelineReloadPolicy::after(t0.addSecs(90)));
        h.provider->next.entries[1].date = t0.addSecs(40);
        h.runner.reload();
        QCOMPARE(h.provider->calls, 1);
        QCOMPARE(h.shown, 1);
        QCOMPARE(h.showing(), 0);
        QCOMPARE(h.timer->delay, 40s);

        h.wakeAt(40);
        QCOMPARE(h.showing(), 2);
        QCOMPARE(h.timer->delay, 50s); // the reload date comes before the third entry
        QCOMPARE(h.provider->calls, 1);

        // The reload date has passed: a new timeline is read and shown from its own entries.
        h.provider->next = timelineAt({1, 30}, TimelineReloadPolicy::after(t0.addSecs(3600)));
        h.wakeAt(90);
        QCOMPARE(h.provider->calls, 2);
        QCOMPARE(h.showing(), 1);
        QCOMPARE(h.timer->delay, std::chrono::milliseconds(TimelineRunner::heartbeat));

        // A heartbeat that finds the same entry due shows nothing new.
        const int shown = h.shown;
        h.wakeAt(150);
        QCOMPARE(h.shown, shown);
    }

    void clockJumpsAndSuspendsAreCaughtUp() {
        RunnerHarness h;
        h.provider->next = timelineAt({0, 60, 120}, TimelineReloadPolicy::after(t0.addSecs(3 * 3600)));
        h.runner.reload();
        QCOMPARE(h.timer->delay, std::chrono::milliseconds(TimelineRunner::heartbeat));

        // Back from a suspend of 100 minutes: the heartbeat shows the entry due now without a new timeline.
        h.wakeAt(100 * 60);
        QCOMPARE(h.showing(), 60);
        QCOMPARE(h.provider->calls, 1);

        // The clock set back before the timeline was read: its dates mean nothing any more, so it is read
        // again.
        h.wakeAt(-3600);
        QCOMPARE(h.provider->calls, 2);

        // Far past the reload date: read again rather than show an old entry.
        h.wakeAt(5 * 3600);
        QCOMPARE(h.provider->calls, 3);
    }

    void reloadPoliciesNeverSpinNorStall() {
        RunnerHarness h;
        // One entry at now with "at end": its end has passed already; the next read waits a heartbeat.
        h.provider->next = timelineAt({0}, TimelineReloadPolicy::atEnd());
        h.runner.reload();
        QCOMPARE(h.provider->calls, 1);
        QCOMPARE(h.runner.reloadDate(), t0.addMSecs(TimelineRunner::heartbeat.count()));

        // A reload date in the past is treated the same way.
        h.provider->next = timelineAt({0}, TimelineReloadPolicy::after(t0.addSecs(-10)));
        h.runner.reload();
        QCOMPARE(h.runner.reloadDate(), t0.addMSecs(TimelineRunner::heartbeat.count()));

        // "Never" waits for the application but keeps the heartbeat for the entries.
        h.provider->next = timelineAt({0, 60}, TimelineReloadPolicy::never());
        h.runner.reload();
        QVERIFY(!h.runner.reloadDate());
        h.wakeAt(24 * 3600);
        QCOMPARE(h.provider->calls, 3);
        QCOMPARE(h.showing(), 60);

        // An empty timeline shows nothing and leaves the last entry alone.
        h.provider->next = Timeline<WeatherWidgetEntry>{{}, TimelineReloadPolicy::atEnd()};
        h.runner.reload();
        QCOMPARE(h.showing(), 60);
    }
};

QTEST_MAIN(TimelineRunnerTest)
#include "tst_timeline_runner.moc"
