#include "Keychain.h"
#include "UserDefaults.h"
#include "WeatherProviderCredentialStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

using namespace nimbra;

namespace {

constexpr char kChildVariable[] = "NIMBRA_SECRET_SERVICE_CHILD";
constexpr char kSkipMarker[] = "NIMBRA-SECRET-SERVICE-UNAVAILABLE";
constexpr int kCannotUnlock = 77;

} // namespace

// Runs the libsecret keychain against a real gnome-keyring-daemon. The test program starts itself again
// inside a private D-Bus session with a keyring in a temporary home, so the user's own keyring is never
// touched.
class SecretServiceKeychainTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Linking the keychain, or making one, must not load libsecret: only a call does.
    void libraryIsNotLoadedBeforeTheFirstCall() {
        if (qEnvironmentVariableIsSet(kChildVariable))
            QSKIP("the outer run checks this");
        const auto keychain = Keychain::secretService();
        QVERIFY(keychain);
        QVERIFY(!dlopen(Keychain::secretServiceLibrary, RTLD_LAZY | RTLD_NOLOAD));
    }

    void withoutTheLibraryEveryCallFails_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("warning");
        QTest::newRow("missing") << "libnimbra-no-such-secret.so.0"
                                 << "Cannot load libnimbra-no-such-secret";
        // Loads, but has none of libsecret's functions.
        QTest::newRow("other library") << "libz.so.1"
                                       << "libz.so.1 has no secret_password_lookup_binary_sync";
    }

    // Every call says the store cannot be reached, with one warning in all, never one per call.
    void withoutTheLibraryEveryCallFails() {
        QFETCH(QString, library);
        QFETCH(QString, warning);
        const QRegularExpression warned(QRegularExpression::escape(warning));
        QTest::ignoreMessage(QtWarningMsg, warned);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("keyring")));
        const auto keychain = Keychain::secretService(library);
        const QString service = "com.tarnwick.Nimbra.integration";
        QCOMPARE(keychain->find(service, "openWeather").status, Keychain::notAvailable);
        QCOMPARE(keychain->add(service, "openWeather", "key"), Keychain::notAvailable);
        QCOMPARE(keychain->update(service, "openWeather", "key"), Keychain::notAvailable);
        QCOMPARE(keychain->remove(service, "openWeather"), Keychain::notAvailable);
        QCOMPARE(Keychain::secretService(library)->find(service, "tomorrowIO").status,
                 Keychain::notAvailable);

        auto defaults = std::make_shared<InMemoryUserDefaults>();
        WeatherProviderCredentials credentials;
        credentials.openWeatherAPIKey = "ow";
        WeatherProviderCredentialStore store(defaults, keychain);
        QCOMPARE(store.save(credentials), WeatherProviderCredentialStore::saveFailureMessage());
        QCOMPARE(store.load(), WeatherProviderCredentials());
    }

    void againstGnomeKeyringInAPrivateSession() {
        if (qEnvironmentVariableIsSet(kChildVariable))
            QSKIP("this is the inner run");
        const QString runSession = QStandardPaths::findExecutable("dbus-run-session");
        const QString daemon = QStandardPaths::findExecutable("gnome-keyring-daemon");
        if (runSession.isEmpty() || daemon.isEmpty())
            QSKIP("dbus-run-session or gnome-keyring-daemon is not installed");

        QTemporaryDir home;
        QVERIFY(home.isValid());
        QVERIFY(QDir(home.path()).mkpath("run") && QDir(home.path()).mkpath("data"));
        QFile::setPermissions(home.filePath("run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kChildVariable, "1");
        environment.insert("HOME", home.path());
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");

        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QString script =
            QStringLiteral("printf nimbra-test | \"$1\" --unlock --components=secrets >/dev/null "
                           "|| exit %1; exec \"$2\" roundTripInsidePrivateSession")
                .arg(kCannotUnlock);
        child.start(runSession,
                    {"--", "/bin/sh", "-c", script, "sh", daemon, QCoreApplication::applicationFilePath()});
        QVERIFY(child.waitForStarted());
        if (!child.waitForFinished(120'000)) {
            child.kill();
            child.waitForFinished();
            QFAIL("the private keyring session did not end");
        }
        const QByteArray output = child.readAll();
        if (child.exitCode() == kCannotUnlock)
            QSKIP("gnome-keyring-daemon could not unlock a collection");
        if (output.contains(kSkipMarker))
            QSKIP("the private Secret Service could not store items");
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : SecretServiceKeychainTest::roundTripInsidePrivateSession()"),
                 output.constData());
    }

    void roundTripInsidePrivateSession() {
        if (!qEnvironmentVariableIsSet(kChildVariable))
            QSKIP("runs only inside the private session");
        const auto keychain = Keychain::secretService();
        const QString service = "com.tarnwick.Nimbra.integration";
        QCOMPARE(keychain->find(service, "openWeather").status, Keychain::itemNotFound);
        const KeychainStatus added = keychain->add(service, "openWeather", "first");
        if (added == Keychain::notAvailable || added == Keychain::interactionNotAllowed) {
            qWarning("%s", kSkipMarker);
            QSKIP("no writable collection");
        }
        QCOMPARE(added, Keychain::success);
        QCOMPARE(keychain->add(service, "openWeather", "again"), Keychain::duplicateItem);
        QCOMPARE(keychain->find(service, "openWeather").data, QByteArray("first"));
        QCOMPARE(keychain->update(service, "openWeather", QByteArray("\xff\x00 binary", 9)),
                 Keychain::success);
        QCOMPARE(keychain->find(service, "openWeather").data, QByteArray("\xff\x00 binary", 9));
        QCOMPARE(keychain->find(service + ".other", "openWeather").status, Keychain::itemNotFound);
        QCOMPARE(keychain->update(service, "tomorrowIO", "x"), Keychain::itemNotFound);
        QCOMPARE(keychain->remove(service, "openWeather"), Keychain::success);
        QCOMPARE(keychain->remove(service, "openWeather"), Keychain::itemNotFound);

        auto defaults = std::make_shared<InMemoryUserDefaults>();
        WeatherProviderCredentials credentials;
        credentials.openWeatherAPIKey = QStringLiteral("ow-ключ");
        credentials.tomorrowIOAPIKey = "tio";
        QCOMPARE(WeatherProviderCredentialStore(defaults, keychain).save(credentials), std::nullopt);
        QCOMPARE(WeatherProviderCredentialStore(defaults, keychain).load(), credentials);
        credentials.tomorrowIOAPIKey.clear();
        QCOMPARE(WeatherProviderCredentialStore(defaults, keychain).save(credentials), std::nullopt);
        QCOMPARE(WeatherProviderCredentialStore(defaults, keychain).load(), credentials);
    }
};

QTEST_GUILESS_MAIN(SecretServiceKeychainTest)
#include "tst_secret_service_keychain.moc"
