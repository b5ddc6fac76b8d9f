// The road of a save to the widgets: the store persists, the host hears it on the session bus or sees the
// snapshot's folder change, and each runner reads the new snapshot once; the host's feed reads it once for
// all of them, off the GUI thread. Also the host's placement file.
#include "../store/StoreHarness.h"
#include "NimbraWidgetBundle.h"
#include "SnapshotFeed.h"
#include "TimelineRunner.h"
#include "WeatherWidgetProvider.h"
#include "WidgetPlacements.h"
#include "WidgetReloadListener.h"

#include <QDBusConnection>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

// The bus cases run only on a private bus, never on the session of whoever runs the tests.
bool onPrivateBus() {
    return qEnvironmentVariableIsSet("NIMBRA_PRIVATE_BUS") && QDBusConnection::sessionBus().isConnected();
}

// The host's half: one runner per kind over the real provider and snapshot file, re-run on each request.
struct Host {
    WidgetReloadListener listener;
    std::vector<std::unique_ptr<TimelineRunner>> runners;

    explicit Host(const QString& file) : listener(file, NimbraWidgetBundle::kinds()) {
        const auto provider =
            std::make_shared<WeatherWidgetProvider>([file] { return WeatherCache(file).load(); });
        for (const QString& kind : NimbraWidgetBundle::kinds()) {
            runners.push_back(std::make_unique<TimelineRunner>(kind, provider, Clock::system()));
            runners.back()->reload();
        }
        QObject::connect(&listener, &WidgetReloadListener::reloadRequested, [this](const QStringList& kinds) {
            for (const auto& runner : runners) {
                if (kinds.contains(runner->kind()))
                    runner->reload();
            }
        });
    }
    bool allShowInterval(int minutes) const {
        return std::all_of(runners.begin(), runners.end(), [minutes](const auto& runner) {
            return runner->entry().settings.refreshIntervalMinutes == minutes;
        });
    }
    QList<int> reads() const {
        QList<int> out;
        for (const auto& runner : runners)
            out.append(runner->timelinesRead());
        return out;
    }
};

CachedWeatherPayload payloadShowing(int refreshMinutes) {
    const WeatherLocation leeds = currentPlace(1);
    CachedWeatherPayload payload;
    payload.locations = {leeds};
    payload.forecasts.insert(leeds.id, consensusFor(leeds));
    payload.settings.refreshIntervalMinutes = refreshMinutes;
    return payload;
}

} // namespace

class WidgetReloadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSaveReachesEveryRunnerOnceOverTheBus() {
        if (!onPrivateBus())
            QSKIP("needs dbus-run-session (a private session bus); CTest runs this case through it");
        StoreHarness harness;
        harness.environment.widgetCenter = WidgetCenter::makeDefault();
        harness.environment.widgetReloadDelay = std::chrono::milliseconds(1000);
        harness.save(payloadShowing(20));
        const auto store = harness.makeStore();

        Host host(harness.file);
        // The bus alone: the folder is not watched here.
        QVERIFY(host.listener.listenOn(QDBusConnection::sessionBus()));
        // Let the signals of the store's own start-up pass; the file they announce is the one already read.
        QTest::qWait(1400);
        const QList<int> before = host.reads();
        QCOMPARE(before, (QList<int>{1, 1, 1}));

        QElapsedTimer elapsed;
        elapsed.start();
        store->updateSettings([](WeatherSettings& settings) { settings.refreshIntervalMinutes = 45; });
        QTRY_VERIFY_WITH_TIMEOUT(host.allShowInterval(45), 1000);
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        // The repeat a second later finds nothing new: one save, one read per widget.
        QTest::qWait(1500);
        QCOMPARE(host.reads(), (QList<int>{2, 2, 2}));
    }

    void aReloadForOneKindReloadsOnlyThatKind() {
        if (!onPrivateBus())
            QSKIP("needs dbus-run-session (a private session bus); CTest runs this case through it");
        StoreHarness harness;
        harness.save(payloadShowing(20));
        Host host(harness.file);
        host.listener.setSettleInterval(50);
        QVERIFY(host.listener.listenOn(QDBusConnection::sessionBus()));
        harness.save(payloadShowing(50));
        WidgetCenter::makeDefault()->reloadTimelines(QStringLiteral("NimbraHourlyWidget"));
        WidgetCenter::makeDefault()->reloadTimelines(QStringLiteral("SomeoneElsesWidget"));
        QTRY_COMPARE_WITH_TIMEOUT(host.reads(), (QList<int>{1, 2, 1}), 1000);
        // The others still read the changed file when asked.
        WidgetCenter::makeDefault()->reloadAllTimelines();
        QTRY_COMPARE_WITH_TIMEOUT(host.reads(), (QList<int>{2, 2, 2}), 1000);
        QVERIFY(host.allShowInterval(50));
    }

    void theFolderWatchAloneCatchesSavesEvenBeforeTheFolderExists() {
        StoreHarness harness; // its widget centre only records: nothing goes on any bus
        QVERIFY(!QFileInfo::exists(QFileInfo(harness.file).absolutePath()));
        Host host(harness.file);
        host.listener.watchSnapshotFolder();
        // No snapshot yet: every widget shows its empty state.
        for (const auto& runner : host.runners)
            QVERIFY(!runner->entry().forecast);

        harness.save(payloadShowing(25));
        QTRY_VERIFY_WITH_TIMEOUT(host.allShowInterval(25), 1500);
        for (const auto& runner : host.runners)
            QVERIFY(runner->entry().forecast);
        QTest::qWait(400);
        QCOMPARE(host.reads(), (QList<int>{2, 2, 2}));

        // A store's save into the now existing folder, by atomic replacement.
        harness.environment.widgetReloadDelay = std::chrono::milliseconds(100);
        const auto store = harness.makeStore();
        store->updateSettings([](WeatherSettings& settings) { settings.refreshIntervalMinutes = 55; });
        QTRY_VERIFY_WITH_TIMEOUT(host.allShowInterval(55), 1000);

        // Another file in the folder changes nothing.
        const QList<int> reads = host.reads();
        QFile other(QFileInfo(harness.file).absolutePath() + QStringLiteral("/notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("x");
        other.close();
        QTest::qWait(500);
        QCOMPARE(host.reads(), reads);
    }

    void oneReadOffTheGuiThreadServesEveryKind() {
        StoreHarness harness;
        harness.save(payloadShowing(20));
        std::atomic<int> reads = 0;
        std::atomic<int> readsOnGuiThread = 0;
        std::atomic<bool> gated = false;
        QSemaphore gate;
        SnapshotFeed feed([&, file = harness.file] {
            if (gated)
                gate.acquire();
            ++reads;
            if (QThread::currentThread() == QCoreApplication::instance()->thread())
                ++readsOnGuiThread;
            return WeatherCache(file).load();
        });
        QList<QStringList> announced;
        QObject::connect(&feed, &SnapshotFeed::loaded, [&](const QStringList& kinds) {
            QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
            announced.append(kinds);
        });
        feed.request(NimbraWidgetBundle::kinds());
        QTRY_COMPARE(announced.size(), 1);
        QCOMPARE(announced[0], NimbraWidgetBundle::kinds());
        QCOMPARE(reads, 1);
        QCOMPARE(readsOnGuiThread, 0);
        QCOMPARE(feed.payload().settings.refreshIntervalMinutes, 20);

        // Saves that come in during a read are gathered into one more read, which sees the last file.
        gated = true;
        feed.request({QStringLiteral("NimbraHourlyWidget")});
        harness.save(payloadShowing(50));
        for (const QString& kind : NimbraWidgetBundle::kinds())
            feed.request({kind});
        gate.release(2);
        QTRY_COMPARE(announced.size(), 3);
        QCOMPARE(announced[1], QStringList{QStringLiteral("NimbraHourlyWidget")});
        const QStringList kinds = NimbraWidgetBundle::kinds();
        QCOMPARE(QSet<QString>(announced[2].begin(), announced[2].end()),
                 QSet<QString>(kinds.begin(), kinds.end()));
        QCOMPARE(reads, 3);
        QCOMPARE(feed.payload().settings.refreshIntervalMinutes, 50);
        QCOMPARE(readsOnGuiThread, 0);
    }

    void aFeedGoneDuringARead() {
        // The worker still delivers to the feed after the read; the feed waits for it instead of vanishing.
        QSemaphore started;
        auto feed = std::make_unique<SnapshotFeed>([&] {
            started.release();
            QThread::msleep(100);
            return CachedWeatherPayload{};
        });
        feed->request(NimbraWidgetBundle::kinds());
        started.acquire();
        feed.reset();
        QCoreApplication::processEvents();
    }

    // The snapshot a read replaces is freed on the worker, behind a read queued meanwhile, which the widgets
    // wait for; the runners' loader already gives the new snapshot when it is announced.
    void theReplacedSnapshotIsFreedOnTheWorker() {
        std::atomic<int> served = 0;
        std::atomic<bool> gated = false;
        QSemaphore gate;
        // Shares the first snapshot's list until the feed has let go of its copy.
        QList<WeatherLocation> firstLocations;
        SnapshotFeed feed([&] {
            if (gated)
                gate.acquire();
            CachedWeatherPayload payload = payloadShowing(20 + 10 * served);
            if (served++ == 0)
                firstLocations = payload.locations;
            return payload;
        });
        const PayloadLoader runnersSee = feed.loader();
        int announced = 0;
        QObject::connect(&feed, &SnapshotFeed::loaded, [&] { ++announced; });

        feed.request(NimbraWidgetBundle::kinds());
        QTRY_COMPARE(announced, 1);
        QVERIFY(!firstLocations.isDetached());

        gated = true;
        feed.request({QStringLiteral("NimbraHourlyWidget")});
        feed.request({QStringLiteral("NimbraCurrentWidget")});
        gate.release();
        QTRY_COMPARE(announced, 2);
        QCOMPARE(runnersSee().settings.refreshIntervalMinutes, 30);
        // The third read holds the worker: the first snapshot is still there, not freed on this thread.
        QVERIFY(!firstLocations.isDetached());

        gate.release();
        QTRY_COMPARE(announced, 3);
        QCOMPARE(runnersSee().settings.refreshIntervalMinutes, 40);
        QTRY_VERIFY(firstLocations.isDetached());
    }

    void placementsSurviveARestart() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("config/Nimbra/widgets.conf"));
        using enum WidgetFamily;

        // First start: one current-conditions widget where the host puts it.
        QCOMPARE(WidgetPlacements(file).load(QPoint(700, 40)),
                 (QList<WidgetPlacement>{WidgetPlacements::firstPlacement(QPoint(700, 40))}));
        QCOMPARE(WidgetPlacements::firstPlacement({}).kind, QStringLiteral("NimbraCurrentWidget"));

        const QList<WidgetPlacement> placed{
            {QStringLiteral("NimbraCurrentWidget"), systemSmall, QPoint(10, 20)},
            {QStringLiteral("NimbraTenDayWidget"), systemLarge, QPoint(-300, 400)},
            {QStringLiteral("NimbraCurrentWidget"), systemLarge, QPoint(5, 6)}};
        QVERIFY(!WidgetPlacements(file).save(placed));
        QCOMPARE(WidgetPlacements(file).load(QPoint(700, 40)), placed);

        // A desktop the user emptied stays empty.
        QVERIFY(!WidgetPlacements(file).save({}));
        QVERIFY(WidgetPlacements(file).load(QPoint(700, 40)).isEmpty());
    }

    void placementsFromAnotherVersionAreMendedNotTrusted() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("widgets.conf"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[placements]\n"
                  "1\\kind=NimbraHourlyWidget\n1\\family=systemSmall\n1\\x=1\n1\\y=2\n"
                  "2\\kind=NimbraRadarWidget\n2\\family=systemLarge\n2\\x=3\n2\\y=4\n"
                  "3\\kind=NimbraTenDayWidget\n3\\family=huge\n3\\x=5\n3\\y=6\n"
                  "size=3\n");
        out.close();
        using enum WidgetFamily;
        // The hourly widget has no small size; an unknown kind is left out; an unknown size becomes the
        // first.
        QCOMPARE(
            WidgetPlacements(file).load({}),
            (QList<WidgetPlacement>{{QStringLiteral("NimbraHourlyWidget"), systemMedium, QPoint(1, 2)},
                                    {QStringLiteral("NimbraTenDayWidget"), systemMedium, QPoint(5, 6)}}));
    }

    void aHostileFileIsReadWithinBounds() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("widgets.conf"));
        const auto write = [&file](const QByteArray& text) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(text);
        };
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        const QString tooMany = QStringLiteral("widgets.conf lists %1 widgets; only the first 64 are shown.");

        // A huge count with no entries: read at once, one warning, nothing shown.
        write("[placements]\nsize=2000000000\n");
        QTest::ignoreMessage(QtWarningMsg, qUtf8Printable(tooMany.arg(2000000000)));
        QVERIFY(WidgetPlacements(file).load({}).isEmpty());

        // Many valid entries: the first 64; positions out of any screen's reach are brought within it.
        QByteArray text = "[placements]\n";
        for (int i = 1; i <= 3000; ++i)
            text += QByteArray::number(i) + "\\kind=NimbraCurrentWidget\n" + QByteArray::number(i) +
                    "\\x=" + QByteArray::number(i == 1 ? 2147483600 : i) + "\n" + QByteArray::number(i) +
                    "\\y=" + QByteArray::number(i == 1 ? -2147483600 : -9000) + "\n";
        write(text + "size=3000\n");
        QTest::ignoreMessage(QtWarningMsg, qUtf8Printable(tooMany.arg(3000)));
        const QList<WidgetPlacement> placements = WidgetPlacements(file).load({});
        QCOMPARE(placements.size(), WidgetPlacements::maximumCount);
        QCOMPARE(placements[0].position, QPoint(32767, -32768));
        QCOMPARE(placements[1].position, QPoint(2, -9000));
        QCOMPARE(placements.constLast().position, QPoint(64, -9000));
    }
};

QTEST_GUILESS_MAIN(WidgetReloadTest)
#include "tst_widget_reload.moc"
