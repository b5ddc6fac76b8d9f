// The application starts the widget host only when none runs, preferring the host installed beside it.
#include "WidgetHostLauncher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <optional>

using namespace nimbra;

namespace {

QString makeProgram(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class WidgetHostLauncherTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsTheNearestHostOnlyWhenNoneRuns() {
        QTemporaryDir installed;
        QTemporaryDir built;
        const QString builtHost = makeProgram(built.filePath(WidgetHostLauncher::programName));
        QStringList started;
        const auto start = [&started](const QString& program) {
            started.append(program);
            return true;
        };
        const auto running = [] { return true; };
        const auto notRunning = [] { return false; };

        QCOMPARE(WidgetHostLauncher::startIfNotRunning(installed.path(), running, start, builtHost),
                 WidgetHostLauncher::Outcome::alreadyRunning);
        QVERIFY(started.isEmpty());

        // From the build tree: this build's host, not one that happens to be on PATH.
        QCOMPARE(WidgetHostLauncher::startIfNotRunning(installed.path(), notRunning, start, builtHost),
                 WidgetHostLauncher::Outcome::started);
        QCOMPARE(started, QStringList{builtHost});

        // Installed: the host beside the application.
        const QString beside = makeProgram(installed.filePath(WidgetHostLauncher::programName));
        QCOMPARE(WidgetHostLauncher::hostProgram(installed.path(), builtHost), beside);

        // A file that is not executable is no program; a start that fails says so.
        QFile::setPermissions(beside, QFile::ReadOwner);
        qputenv("PATH", installed.path().toLocal8Bit());
        QCOMPARE(WidgetHostLauncher::hostProgram(installed.path(), QString()), QString());
        QCOMPARE(WidgetHostLauncher::startIfNotRunning(installed.path(), notRunning, start, QString()),
                 WidgetHostLauncher::Outcome::notFound);
        QCOMPARE(WidgetHostLauncher::startIfNotRunning(
                     installed.path(), notRunning, [](const QString&) { return false; }, builtHost),
                 WidgetHostLauncher::Outcome::failed);
    }

    // Neither the bus check nor the start holds up the caller's thread; the outcome comes back to it.
    void startsOnAnotherThreadAndAnswersOnTheCallers() {
        QTemporaryDir built;
        const QString builtHost = makeProgram(built.filePath(WidgetHostLauncher::programName));
        std::atomic<QThread*> askedOn = nullptr;
        std::atomic<QThread*> startedOn = nullptr;
        const auto running = [&askedOn] {
            askedOn = QThread::currentThread();
            return false;
        };
        const auto start = [&startedOn](const QString&) {
            startedOn = QThread::currentThread();
            return true;
        };
        QObject context;
        std::optional<WidgetHostLauncher::Outcome> outcome;
        QThread* answeredOn = nullptr;
        WidgetHostLauncher::startIfNotRunningAside(
            &context, QString(), running,
            [&](WidgetHostLauncher::Outcome o) {
                outcome = o;
                answeredOn = QThread::currentThread();
            },
            start, builtHost);
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(*outcome, WidgetHostLauncher::Outcome::started);
        QCOMPARE(answeredOn, QThread::currentThread());
        QVERIFY(askedOn != QThread::currentThread());
        QVERIFY(startedOn != QThread::currentThread());
        QVERIFY(startedOn != nullptr);
    }

    void withoutABusNoHostCountsAsRunning() {
        QVERIFY(!WidgetHostLauncher::hostOnBus(QDBusConnection(QStringLiteral("not connected")))());
    }
};

QTEST_GUILESS_MAIN(WidgetHostLauncherTest)
#include "tst_widget_host_launcher.moc"
