// Work run over event-loop turns: order, budget, cancelling, and other timers between turns.
#include "TurnSteps.h"

#include <QTest>
#include <QThread>
#include <QTimer>

using namespace nimbra;

class TestTurnSteps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Steps in order, then the last action once; with no budget one step a turn, with one as many as fit;
    // cancelled, nothing more runs; a step may start the run again.
    void turnSteps() {
        using std::chrono::milliseconds;
        TurnSteps steps(milliseconds(0));
        QStringList ran;
        const auto step = [&ran](const QString& name) { return [&ran, name] { ran.append(name); }; };
        steps.start({step("a"), step("b")}, step("done"));
        QVERIFY(steps.isRunning());
        QVERIFY(ran.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(ran, QStringList{"a"});
        QVERIFY(steps.isRunning());
        // The last action in the last step's turn.
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "done"}));
        QVERIFY(!steps.isRunning());
        QTest::qWait(20);
        QCOMPARE(ran.size(), 3);

        ran.clear();
        steps.start({step("a"), step("b")}, step("done"));
        QCoreApplication::processEvents();
        steps.cancel();
        QTest::qWait(20);
        QCOMPARE(ran, QStringList{"a"});

        ran.clear();
        steps.start({[&] { steps.start({step("again")}, step("done")); }, step("dropped")}, step("not run"));
        QTRY_VERIFY(!steps.isRunning());
        QCOMPARE(ran, (QStringList{"again", "done"}));

        TurnSteps budgeted(milliseconds(30));
        ran.clear();
        const auto slow = [&ran](const QString& name) {
            return [&ran, name] {
                QThread::msleep(20);
                ran.append(name);
            };
        };
        budgeted.start({step("a"), step("b"), slow("c"), slow("d"), step("e")}, step("done"));
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d"}));
        QTRY_VERIFY(!budgeted.isRunning());
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d", "e", "done"}));

        // A break ends a turn however much of it is left, and is passed over at a turn's start.
        ran.clear();
        budgeted.start({TurnSteps::nextTurn(), step("a"), TurnSteps::nextTurn(), step("b"),
                        TurnSteps::nextTurn(), TurnSteps::nextTurn(), step("c"), step("d")},
                       step("done"));
        QCoreApplication::processEvents();
        QCOMPARE(ran, QStringList{"a"});
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b"}));
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d", "done"}));
    }

    void turnStepsLetOtherTimersRun() {
        // Between two turns the application's other timers run, even when each turn takes longer than their
        // interval: a zero timer set again from when its turn began would always be due first.
        TurnSteps steps(std::chrono::milliseconds(0));
        QStringList ran;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&ran] {
            if (ran.isEmpty() || ran.last() != "tick")
                ran.append("tick");
        });
        const auto slow = [&ran](const QString& name) {
            return [&ran, name] {
                QThread::msleep(5);
                ran.append(name);
            };
        };
        tick.start();
        steps.start({slow("a"), slow("b"), slow("c")}, [&ran] { ran.append("done"); });
        QTRY_VERIFY(!steps.isRunning());
        tick.stop();
        ran.removeAll("done");
        const qsizetype a = ran.indexOf("a");
        QVERIFY(a >= 0);
        QCOMPARE(ran.mid(a, 5), (QStringList{"a", "tick", "b", "tick", "c"}));
    }
};

QTEST_MAIN(TestTurnSteps)
#include "tst_turn_steps.moc"
