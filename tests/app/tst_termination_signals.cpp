// Termination signals end the programs through their event loop: the quit path runs (and with it every
// flush hung on aboutToQuit) instead of the process vanishing mid-write.
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace nimbra;

class TestTerminationSignals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachSignalArrivesInTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM (logout)") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void eachSignalArrivesInTheEventLoop() {
        QFETCH(int, signalNumber);
        TerminationSignals watcher;
        QVERIFY(watcher.isWatching());
        QSignalSpy received(&watcher, &TerminationSignals::received);
        // Delivered to this very process: without the watcher it would end the test run.
        std::raise(signalNumber);
        QCOMPARE(received.count(), 0);
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.first().first().toInt(), signalNumber);
        // Two in a row are both seen.
        std::raise(signalNumber);
        std::raise(signalNumber);
        QTRY_COMPARE(received.count(), 3);
    }

    void theApplicationQuitsThroughItsQuitPath() {
        TerminationSignals* watcher = TerminationSignals::quitApplicationOnSignals();
        QVERIFY(watcher->isWatching());
        QSignalSpy aboutToQuit(QCoreApplication::instance(), &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        // A loop that nothing else ends: only the signal's quit returns from it in time.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(aboutToQuit.count(), 1);
        delete watcher;
        // The next watcher gets the signals again.
        TerminationSignals next;
        QVERIFY(next.isWatching());
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_termination_signals.moc"
