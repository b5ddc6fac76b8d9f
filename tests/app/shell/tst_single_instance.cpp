// A second start reaches the running application over the session bus: the running one is asked to show
// its dashboard and handed the focus token the second start's launcher gave it. Runs on a private bus only
// (dbus-run-session, as CTest starts it); elsewhere it skips.
#include "SingleInstance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTest>

using namespace nimbra;

namespace {

bool onPrivateBus() {
    return qEnvironmentVariableIsSet("NIMBRA_PRIVATE_BUS") && QDBusConnection::sessionBus().isConnected();
}

// A call as another process sends it, on a connection of its own, without waiting for the answer (the
// answering object lives on this thread).
void callFromAnotherStart(const QString& method, const QVariantList& arguments = {}) {
    QDBusConnection other =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    QDBusMessage call = QDBusMessage::createMethodCall(
        SingleInstance::serviceName, SingleInstance::objectPath, SingleInstance::interfaceName, method);
    call.setArguments(arguments);
    other.asyncCall(call);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theStartsTokenIsItsLaunchers_data() {
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QString>("token");
        QTest::newRow("Wayland first") << QByteArray("w-1") << QByteArray("x-1") << "w-1";
        QTest::newRow("X11 startup id") << QByteArray() << QByteArray("x-1") << "x-1";
        QTest::newRow("none") << QByteArray() << QByteArray() << "";
    }
    void theStartsTokenIsItsLaunchers() {
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, x11);
        qputenv("XDG_ACTIVATION_TOKEN", wayland);
        qputenv("DESKTOP_STARTUP_ID", x11);
        QTEST(SingleInstance::activationTokenFromEnvironment(), "token");
        qunsetenv("XDG_ACTIVATION_TOKEN");
        qunsetenv("DESKTOP_STARTUP_ID");
    }

    void theRunningOneIsAskedToShowWithTheToken() {
        if (!onPrivateBus())
            QSKIP("needs a private session bus (run under dbus-run-session with NIMBRA_PRIVATE_BUS=1)");
        SingleInstance running;
        QCOMPARE(running.claim(), SingleInstance::Outcome::primary);
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        callFromAnotherStart(QStringLiteral("Activate"), {QStringLiteral("token-of-the-second-start")});
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), QStringLiteral("token-of-the-second-start"));
        // A start from before tokens were passed still gets the dashboard.
        callFromAnotherStart(QStringLiteral("ShowDashboard"));
        QTRY_COMPARE(shown.count(), 2);
        QCOMPARE(shown.last().first().toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
