#include "BuildInfo.h"
#include "LoopbackHTTPServer.h"
#include "UserDefaults.h"
#include "VantaTelemetry.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace nimbra;

namespace {

class RecordingPoster final : public TelemetryPoster {
public:
    void post(TelemetryRequest request) override { requests.append(std::move(request)); }

    QStringList events() const {
        QStringList names;
        for (const auto& request : requests)
            names << QJsonDocument::fromJson(request.body).object().value(QStringLiteral("event")).toString();
        return names;
    }

    QList<TelemetryRequest> requests;
};

const QString prefix = QStringLiteral("KavrinVantaTelemetry.nimbra");
const QString storedID = QStringLiteral("6F1D3C2A-8B4E-4F7A-9C1D-2E3F4A5B6C7D");
// sha256("nimbra:6F1D3C2A-8B4E-4F7A-9C1D-2E3F4A5B6C7D"), computed with sha256sum.
const QString storedIDHash =
    QStringLiteral("106cbaf59a6b7aec7958874aede8dc60125260f5917ae09873773a25ea44ba7d");

VantaTelemetry::Configuration configuration(const QString& build = QStringLiteral("1")) {
    return VantaTelemetry::Configuration{.appID = QStringLiteral("nimbra"),
                                         .bundleID = QStringLiteral("com.tarnwick.Nimbra"),
                                         .version = QStringLiteral("1.4"),
                                         .build = build,
                                         .privacyMode = TelemetryPrivacyMode::pseudonymousInstall};
}

QDateTime utc(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toUTC();
}

struct Harness {
    explicit Harness(QVariantMap stored = {}, QUrl endpoint = QUrl(QStringLiteral("https://events.invalid")),
                     QDateTime now = utc("2026-12-09T10:00:00Z"),
                     QTimeZone zone = QTimeZone(QByteArrayLiteral("Europe/Berlin")))
        : defaults(std::make_shared<InMemoryUserDefaults>()), poster(std::make_shared<RecordingPoster>()),
          clock(std::make_shared<ManualClock>(now)) {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            defaults->setValue(prefix + it.key(), it.value());
        telemetry = std::make_unique<VantaTelemetry>(VantaTelemetry::Dependencies{
            .defaults = defaults, .poster = poster, .endpoint = endpoint, .clock = clock, .timeZone = zone});
    }

    QVariant marker(const char* suffix) const {
        return defaults->value(prefix + QString::fromLatin1(suffix));
    }

    std::shared_ptr<InMemoryUserDefaults> defaults;
    std::shared_ptr<RecordingPoster> poster;
    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<VantaTelemetry> telemetry;
};

QVariantMap returning(const QString& lastBuild, const QString& lastDay) {
    return {{QStringLiteral(".installSent"), true},
            {QStringLiteral(".installID"), storedID},
            {QStringLiteral(".lastBuild"), lastBuild},
            {QStringLiteral(".lastDailyActive"), lastDay}};
}

} // namespace

class TelemetryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startSequence_data() {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QUrl>("endpoint");
        QTest::addColumn<QStringList>("expected");

        const QUrl endpoint(QStringLiteral("https://events.invalid"));
        const QDateTime morning = utc("2026-12-09T10:00:00Z");
        QTest::newRow("first start") << QVariantMap{} << "1" << morning << endpoint
                                     << QStringList{"install", "launch", "daily_active"};
        QTest::newRow("same day, same build")
            << returning("1", "2026-12-09") << "1" << morning << endpoint << QStringList{"launch"};
        QTest::newRow("next day, new build") << returning("1", "2026-12-08") << "2" << morning << endpoint
                                             << QStringList{"launch", "daily_active", "update_seen"};
        QTest::newRow("same day, new build") << returning("1", "2026-12-09") << "2" << morning << endpoint
                                             << QStringList{"launch", "update_seen"};
        // 23:30 UTC is already the next day in Berlin.
        QTest::newRow("local midnight passed")
            << returning("1", "2026-12-09") << "1" << utc("2026-12-09T23:30:00Z") << endpoint
            << QStringList{"launch", "daily_active"};
        QVariantMap off;
        off.insert(QStringLiteral(".enabled"), false);
        QTest::newRow("reporting off") << off << "1" << morning << endpoint << QStringList{};
        // The preferences file hands Booleans back as text.
        QVariantMap offAsText = returning("1", "2026-12-08");
        offAsText.insert(QStringLiteral(".enabled"), QStringLiteral("false"));
        offAsText.insert(QStringLiteral(".installSent"), QStringLiteral("true"));
        QTest::newRow("reporting off, stored as text")
            << offAsText << "2" << morning << endpoint << QStringList{};
        QVariantMap garbled = returning("1", "2026-12-09");
        garbled.insert(QStringLiteral(".enabled"), QStringLiteral("maybe"));
        QTest::newRow("unreadable switch counts as on")
            << garbled << "1" << morning << endpoint << QStringList{"launch"};
        QTest::newRow("no endpoint") << QVariantMap{} << "1" << morning << QUrl() << QStringList{};
    }

    // Markers are written whatever was sent, so switching on later replays nothing.
    void startSequence() {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, build);
        QFETCH(QDateTime, now);
        QFETCH(QUrl, endpoint);
        QFETCH(QStringList, expected);

        Harness h(stored, endpoint, now);
        h.telemetry->start(configuration(build));

        QCOMPARE(h.poster->events(), expected);
        QCOMPARE(h.marker(".installSent").toString(), QStringLiteral("true"));
        QCOMPARE(h.marker(".lastBuild").toString(), build);
        QCOMPARE(h.marker(".lastDailyActive").toString(),
                 VantaTelemetry::dayText(now, QTimeZone(QByteArrayLiteral("Europe/Berlin"))));
        const QString id = h.marker(".installID").toString();
        QCOMPARE(id.size(), 36);
        QCOMPARE(id, id.toUpper());
        for (const auto& request : h.poster->requests) {
            const QJsonObject body = QJsonDocument::fromJson(request.body).object();
            QCOMPARE(body.value(QStringLiteral("install_hash")).toString(), installHash("nimbra", id));
        }

        // A second start on the same day with the same build only launches.
        h.poster->requests.clear();
        h.telemetry->start(configuration(build));
        QCOMPARE(h.poster->events(), expected.isEmpty() ? QStringList{} : QStringList{"launch"});
        QCOMPARE(h.marker(".installID").toString(), id);
    }

    void switching_data() {
        QTest::addColumn<QList<bool>>("switches");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("changes");

        QTest::newRow("off") << QList<bool>{false} << QStringList{"telemetry_disabled"} << 1;
        QTest::newRow("off twice") << QList<bool>{false, false} << QStringList{"telemetry_disabled"} << 1;
        QTest::newRow("on while on") << QList<bool>{true} << QStringList{} << 0;
        QTest::newRow("off, on, off") << QList<bool>{false, true, false}
                                      << QStringList{"telemetry_disabled", "telemetry_disabled"} << 3;
    }

    void switching() {
        QFETCH(QList<bool>, switches);
        QFETCH(QStringList, expected);
        QFETCH(int, changes);

        Harness h(returning("1", "2026-12-09"));
        h.telemetry->start(configuration());
        h.poster->requests.clear();
        QSignalSpy changed(h.telemetry.get(), &VantaTelemetry::enabledChanged);
        for (const bool on : switches)
            h.telemetry->setEnabled(on);

        QCOMPARE(h.poster->events(), expected);
        QCOMPARE(changed.size(), changes);
        QCOMPARE(h.telemetry->isEnabled(), switches.last());
        QCOMPARE(h.marker(".enabled").toBool(), switches.last());
        for (const auto& request : h.poster->requests)
            QVERIFY(request.body.contains(storedIDHash.toLatin1()));
    }

    // Popover and settings events go out only once started and while reporting is on.
    void eventsFromTheInterface() {
        Harness h(returning("1", "2026-12-09"));
        QVERIFY(h.telemetry->isEnabled());
        h.telemetry->setEnabled(false);
        h.telemetry->sendIfEnabled(TelemetryEvent::popoverOpened);
        QVERIFY(h.poster->requests.isEmpty());
        QVERIFY(!h.defaults->contains(prefix + ".enabled"));

        h.telemetry->start(configuration());
        h.telemetry->sendIfEnabled(TelemetryEvent::popoverOpened);
        h.telemetry->setEnabled(false);
        h.telemetry->sendIfEnabled(TelemetryEvent::settingsOpened);
        h.telemetry->setEnabled(true);
        h.telemetry->sendIfEnabled(TelemetryEvent::settingsOpened);
        QCOMPARE(h.poster->events(),
                 (QStringList{"launch", "popover_opened", "telemetry_disabled", "settings_opened"}));
    }

    void installIdentifier() {
        Harness stored(returning("1", "2026-12-09"));
        QCOMPARE(stored.telemetry->installID(configuration()), storedID);

        Harness empty({{QStringLiteral(".installID"), QString()}});
        const auto created = empty.telemetry->installID(configuration());
        QVERIFY(created && created->size() == 36);
        QCOMPARE(*created, created->toUpper());
        QCOMPARE(empty.marker(".installID").toString(), *created);
        QCOMPARE(empty.telemetry->installID(configuration()), created);

        // Aggregate mode neither reads nor stores an identifier, and the body carries no hash.
        Harness aggregate;
        auto config = configuration();
        config.privacyMode = TelemetryPrivacyMode::aggregate;
        aggregate.telemetry->start(config);
        QCOMPARE(aggregate.telemetry->installID(config), std::nullopt);
        QVERIFY(!aggregate.defaults->contains(prefix + ".installID"));
        QCOMPARE(aggregate.poster->requests.size(), 3);
        for (const auto& request : aggregate.poster->requests)
            QVERIFY(!QJsonDocument::fromJson(request.body).object().contains(QStringLiteral("install_hash")));
    }

    void hash_data() {
        QTest::addColumn<QString>("appID");
        QTest::addColumn<QString>("installID");
        QTest::addColumn<QString>("expected");
        // Reference digests from sha256sum.
        QTest::newRow("stored identifier") << "nimbra" << storedID << storedIDHash;
        QTest::newRow("empty identifier")
            << "nimbra"
            << ""
            << "325811bee47de9e5080694771a568bb71c8188312636e1e5f053c9ffddf98b30";
        QTest::newRow("UTF-8 bytes") << "nimbra" << QStringLiteral("caf\u00e9")
                                     << "218b01c721c1f11c3d24132a584a0890994c4315647561339921674984c7eeb6";
    }

    void hash() {
        QFETCH(QString, appID);
        QFETCH(QString, installID);
        QFETCH(QString, expected);
        QCOMPARE(installHash(appID, installID), expected);
    }

    void body() {
        TelemetryPayload payload{.app = "nimbra",
                                 .event = "launch",
                                 .installHash = "ab12",
                                 .version = "1.4",
                                 .build = "27",
                                 .osMajor = "15",
                                 .arch = "arm64"};
        QCOMPARE(payload.encoded(),
                 QByteArrayLiteral("{\"app\":\"nimbra\",\"event\":\"launch\",\"install_hash\":"
                                   "\"ab12\",\"version\":\"1.4\",\"build\":\"27\",\"os_major\":"
                                   "\"15\",\"arch\":\"arm64\"}"));
        payload.installHash.reset();
        payload.version = QStringLiteral("1.4 \"beta\"\\");
        const QJsonObject parsed = QJsonDocument::fromJson(payload.encoded()).object();
        QCOMPARE(parsed.keys().size(), 6);
        QCOMPARE(parsed.value("version").toString(), payload.version);
    }

    void endpointAddress_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("host") << "https://events.example.org"
                              << "https://events.example.org/api/app-events";
        QTest::newRow("trailing slash") << "https://events.example.org/"
                                        << "https://events.example.org/api/app-events";
        QTest::newRow("base path") << "https://example.org/v2/"
                                   << "https://example.org/v2/api/app-events";
        QTest::newRow("port") << "http://127.0.0.1:8080"
                              << "http://127.0.0.1:8080/api/app-events";
    }

    void endpointAddress() {
        QFETCH(QString, base);
        QFETCH(QString, expected);
        QCOMPARE(VantaTelemetry::endpointURL(BuildInfo::webAddress(base)).toString(), expected);
    }

    // A build setting that is not a web address switches the feature off instead of going anywhere.
    void buildSettingAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blank") << "  "
                               << "";
        QTest::newRow("https") << " https://nimbra.example.org/feed.xml "
                               << "https://nimbra.example.org/feed.xml";
        QTest::newRow("http to this computer") << "http://localhost:8000"
                                               << "http://localhost:8000";
        QTest::newRow("http to a loopback address") << "http://127.0.0.1:8000/x"
                                                    << "http://127.0.0.1:8000/x";
        QTest::newRow("http across the network") << "http://nimbra.example.org/feed.xml"
                                                 << "";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("other scheme") << "ftp://example.org/feed"
                                      << "";
        QTest::newRow("no scheme") << "example.org/feed"
                                   << "";
        QTest::newRow("no host") << "https://"
                                 << "";
        QTest::newRow("script") << "javascript:alert(1)"
                                << "";
    }

    void buildSettingAddresses() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(BuildInfo::webAddress(text).toString(), expected);
    }

    // This build names no endpoint: the default object sends nowhere, whatever happens.
    void defaultBuildSendsNothing() {
        if (!BuildInfo::telemetryEndpoint().isEmpty())
            QSKIP("this build was configured with a telemetry endpoint");
        VantaTelemetry telemetry;
        QVERIFY(!telemetry.hasEndpoint());
        QCOMPARE(VantaTelemetry::Configuration::current().appID, QStringLiteral("nimbra"));
        QCOMPARE(VantaTelemetry::Configuration::current().version, BuildInfo::version());
    }

    // The switch and the markers survive a restart through the preferences file, which keeps no types.
    void stateSurvivesRestart() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("Nimbra.conf"));
        auto open = [&] {
            return std::make_shared<SettingsUserDefaults>(
                std::make_unique<QSettings>(file, QSettings::IniFormat));
        };
        auto poster = std::make_shared<RecordingPoster>();
        auto clock = std::make_shared<ManualClock>(utc("2026-12-09T10:00:00Z"));
        auto run = [&](auto&& body) {
            VantaTelemetry telemetry(VantaTelemetry::Dependencies{.defaults = open(),
                                                                  .poster = poster,
                                                                  .endpoint = QUrl("https://events.invalid"),
                                                                  .clock = clock,
                                                                  .timeZone = QTimeZone::utc()});
            telemetry.start(configuration());
            body(telemetry);
        };
        run([](VantaTelemetry& telemetry) { telemetry.setEnabled(false); });
        QCOMPARE(poster->events(), (QStringList{"install", "launch", "daily_active", "telemetry_disabled"}));

        poster->requests.clear();
        clock->advance(24 * 3600);
        run([](VantaTelemetry& telemetry) {
            QVERIFY(!telemetry.isEnabled());
            telemetry.setEnabled(true);
        });
        QVERIFY(poster->requests.isEmpty());

        run([](VantaTelemetry& telemetry) { QVERIFY(telemetry.isEnabled()); });
        QCOMPARE(poster->events(), QStringList{"launch"});
    }

    // The preferences file holds the install identifier: only its owner reads it, also when an older version
    // made it readable by all.
    void thePreferencesFileIsPrivate() {
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("config/Nimbra/Nimbra.conf"));
        const QString older = dir.filePath(QStringLiteral("Older.conf"));
        {
            QSettings settings(older, QSettings::IniFormat);
            settings.setValue(QStringLiteral("kept"), 7);
        }
        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QVERIFY(QFile::setPermissions(older, ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        for (const QString& file : {fresh, older}) {
            {
                SettingsUserDefaults defaults(std::make_unique<QSettings>(file, QSettings::IniFormat));
                defaults.setValue(QStringLiteral("installID"), QStringLiteral("id"));
            }
            // Owner, group and others, leaving out the bits of whoever runs the test.
            QCOMPARE(QFileInfo(file).permissions() & QFileDevice::Permissions(0x7077), ownerOnly);
            QSettings reread(file, QSettings::IniFormat);
            QCOMPARE(reread.value(QStringLiteral("installID")).toString(), QStringLiteral("id"));
        }
        QCOMPARE(QSettings(older, QSettings::IniFormat).value(QStringLiteral("kept")).toInt(), 7);
    }

    // A value set again unchanged leaves the file alone (each start sets the build it was seen with); a
    // changed one is written.
    void anUnchangedValueIsNotWrittenAgain() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nimbra.conf"));
        const auto setIn = [&file](const QString& build) {
            SettingsUserDefaults defaults(std::make_unique<QSettings>(file, QSettings::IniFormat));
            defaults.setValue(QStringLiteral("lastBuild"), build);
        };
        // Written through a new file put in place: a write shows as another file.
        const auto fileID = [&file] {
            struct stat info {};
            return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : ino_t(0);
        };
        setIn(QStringLiteral("41"));
        const ino_t written = fileID();
        QVERIFY(written != 0);
        setIn(QStringLiteral("41"));
        QCOMPARE(fileID(), written);
        setIn(QStringLiteral("42"));
        QVERIFY(fileID() != written);
        QCOMPARE(QSettings(file, QSettings::IniFormat).value(QStringLiteral("lastBuild")).toString(),
                 QStringLiteral("42"));
    }

    // The request as a server receives it, through the real HTTP layer.
    void requestOnTheWire() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route(QStringLiteral("/api/app-events"), CannedResponse::json("{}", 202));
        VantaTelemetry telemetry(
            VantaTelemetry::Dependencies{.defaults = std::make_shared<InMemoryUserDefaults>(),
                                         .poster = std::make_shared<HTTPTelemetryPoster>(),
                                         .endpoint = server.baseURL()});
        auto config = configuration(QStringLiteral("27"));
        telemetry.start(config);
        // Fire and forget: nothing has gone out when the call returns.
        QVERIFY(server.requests().isEmpty());
        QTRY_COMPARE(server.requests().size(), 3);

        const QString id = *telemetry.installID(config);
        QStringList events;
        for (const RecordedRequest& request : server.requests()) {
            QCOMPARE(request.method, QByteArrayLiteral("POST"));
            QCOMPARE(request.path, QStringLiteral("/api/app-events"));
            QCOMPARE(request.header("Content-Type"), QByteArrayLiteral("application/json"));
            QCOMPARE(request.header("User-Agent"), QByteArrayLiteral("nimbra/1.4 (27)"));
            const QJsonObject body = QJsonDocument::fromJson(request.body).object();
            QCOMPARE(body.keys(),
                     (QStringList{"app", "arch", "build", "event", "install_hash", "os_major", "version"}));
            QCOMPARE(body.value("app").toString(), QStringLiteral("nimbra"));
            QCOMPARE(body.value("version").toString(), QStringLiteral("1.4"));
            QCOMPARE(body.value("build").toString(), QStringLiteral("27"));
            QCOMPARE(body.value("install_hash").toString(), installHash("nimbra", id));
            QCOMPARE(body.value("arch").toString(), QSysInfo::buildCpuArchitecture());
            bool numeric = false;
            body.value("os_major").toString().toInt(&numeric);
            QVERIFY(numeric);
            events << body.value("event").toString();
        }
        QCOMPARE(events, (QStringList{"install", "launch", "daily_active"}));

        // A failing endpoint changes nothing for the caller.
        server.route(QStringLiteral("/api/app-events"), CannedResponse::json("{}", 500));
        telemetry.sendIfEnabled(TelemetryEvent::popoverOpened);
        QTRY_COMPARE(server.requests().size(), 4);
        QVERIFY(telemetry.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TelemetryTest)
#include "tst_telemetry.moc"
