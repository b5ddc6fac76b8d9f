// The D-Bus tray item against a watcher of our own on a private session bus (run under dbus-run-session with
// NIMBRA_PRIVATE_BUS=1; without it every case skips). Everything a panel would do goes over the bus: the
// watcher takes its name on a connection of its own, and reads go out from a third one.
#include "../../store/StoreHarness.h"

#include "AppDelegate.h"
#include "DBusMenuExporter.h"
#include "PopoverWindow.h"
#include "StatusItem.h"
#include "StatusNotifierItem.h"
#include "StatusNotifierTypes.h"
#include "StatusTestData.h"
#include "TrayIconEngine.h"
#include "TrayIconPainter.h"
#include "UpdaterController.h"
#include "VantaSettingsRoot.h"
#include "VantaTelemetry.h"

#include "KeychainWorker.h"
#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QMenu>

#include <QSignalSpy>
#include <QTest>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

bool hasPrivateBus() {
    return qEnvironmentVariableIsSet("NIMBRA_PRIVATE_BUS") && QDBusConnection::sessionBus().isConnected();
}

#define REQUIRE_PRIVATE_BUS()                                                                                \
    if (!hasPrivateBus())                                                                                    \
    QSKIP("needs a private session bus: run under dbus-run-session with NIMBRA_PRIVATE_BUS=1")

const QString sniInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

// A StatusNotifierWatcher as a panel runs it, on a bus connection of its own so that its name can change
// hands between two of them.
class FakeWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit FakeWatcher(const QString& connectionName)
        : m_name(connectionName),
          m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
        m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                             QDBusConnection::ExportAllContents);
    }
    ~FakeWatcher() override {
        leave();
        QDBusConnection::disconnectFromBus(m_name);
    }

    // Takes the watcher's name, from the watcher that has it if there is one.
    bool take() {
        return m_bus.interface()
                   ->registerService(StatusNotifierItem::watcherService,
                                     QDBusConnectionInterface::ReplaceExistingService,
                                     QDBusConnectionInterface::AllowReplacement)
                   .value() == QDBusConnectionInterface::ServiceRegistered;
    }
    void leave() { m_bus.unregisterService(StatusNotifierItem::watcherService); }

    QStringList items() const { return m_items; }
    // A panel that accepts an item and then fails to show it (GNOME's extension when it cannot read the
    // item): so many registrations are answered and forgotten.
    int forget = 0;
    int registrations = 0;
    bool hostRegistered() const { return m_hostRegistered; }
    // As Cinnamon's watcher says it when its panel ends or comes back.
    void setHostRegistered(bool registered) {
        m_hostRegistered = registered;
        const QString name = registered ? QStringLiteral("StatusNotifierHostRegistered")
                                        : QStringLiteral("StatusNotifierHostUnregistered");
        m_bus.send(QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"),
                                              StatusNotifierItem::watcherService, name));
    }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        ++registrations;
        if (forget-- <= 0)
            m_items.append(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    QString m_name;
    QDBusConnection m_bus;
    QStringList m_items;
    bool m_hostRegistered = true;
};

// A panel's host, by its name alone (as Plasma's panel has it, beside kded's watcher).
class FakeHost {
public:
    explicit FakeHost(const QString& name)
        : m_name(name), m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {
        m_bus.registerService(name);
    }
    ~FakeHost() { QDBusConnection::disconnectFromBus(m_name); }
    void leave() { m_bus.unregisterService(m_name); }

private:
    QString m_name;
    QDBusConnection m_bus;
};

// The panel's side: calls made without blocking, so the item in this same thread can answer them.
QDBusConnection probeBus() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("probe"));
}

QDBusMessage await(const QDBusMessage& call) {
    QDBusPendingCall pending = probeBus().asyncCall(call, 5000);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
        return {};
    return pending.reply();
}

QDBusMessage callItem(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return await(call);
}

template <typename T>
T busProperty(const QString& service, const QString& name, const QString& interface = sniInterface,
              const QString& path = StatusNotifierItem::objectPath) {
    const QDBusMessage reply = callItem(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interface, name});
    return qdbus_cast<T>(reply.arguments().value(0).value<QDBusVariant>().variant());
}

// The signals a panel would hear from the item.
class SignalRecorder : public QObject {
    Q_OBJECT
public:
    SignalRecorder(const QString& service, const QStringList& names) {
        for (const QString& name : names)
            probeBus().connect(service, StatusNotifierItem::objectPath, sniInterface, name, this,
                               SLOT(record(QDBusMessage)));
    }
    QStringList names;
    QList<QVariantList> arguments;

public Q_SLOTS:
    void record(const QDBusMessage& message) {
        names.append(message.member());
        arguments.append(message.arguments());
    }
};

using apptest::forecastWith;

WeatherSettings celsiusSettings(bool condition, bool confidence) {
    WeatherSettings settings;
    settings.temperatureUnit = TemperatureUnit::celsius;
    settings.showConditionInMenuBar = condition;
    settings.showConfidenceInMenuBar = confidence;
    return settings;
}

// Straight-alpha ARGB in network byte order, read pixel by pixel: an independent spelling of what a panel
// decodes. The painter paints premultiplied.
QByteArray networkOrderBytes(const QImage& image) {
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    QByteArray bytes;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = premultiplied ? qUnpremultiply(image.pixel(x, y)) : image.pixel(x, y);
            bytes.append(char(qAlpha(pixel)));
            bytes.append(char(qRed(pixel)));
            bytes.append(char(qGreen(pixel)));
            bytes.append(char(qBlue(pixel)));
        }
    }
    return bytes;
}

// Undoing premultiplication may round either way; the order of the bytes must match exactly.
bool sameWithinRounding(const QByteArray& actual, const QByteArray& expected) {
    if (actual.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (std::abs(int(uchar(actual[i])) - int(uchar(expected[i]))) > 1) {
            qWarning() << "byte" << i << "is" << uchar(actual[i]) << "not" << uchar(expected[i]);
            return false;
        }
    }
    return true;
}

// The application with its status item on the private bus and nothing else of the desktop.
struct AppRig {
    StoreHarness harness;
    std::unique_ptr<AppDelegate> delegate;

    AppRig() {
        harness.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable);
        CachedWeatherPayload payload;
        const WeatherLocation oslo = place(1, QStringLiteral("Oslo"), 59.91, 10.75);
        payload.locations = {currentPlace(2), oslo};
        payload.settings.menuBarLocationID = oslo.id;
        ConsensusForecast f = consensusFor(oslo, 24);
        f.generatedAt = kNoon.addSecs(-300);
        payload.forecasts.insert(oslo.id, f);
        payload.selectedForecast = f;
        harness.save(payload);
        AppEnvironment environment;
        environment.defaults = std::make_shared<InMemoryUserDefaults>();
        environment.clock = harness.clock;
        environment.calendar = harness.environment.calendar;
        environment.useDesktop = false;
        environment.useStatusItem = true;
        environment.makeTelemetry = [defaults = environment.defaults](QObject* parent) {
            VantaTelemetry::Dependencies dependencies;
            dependencies.defaults = defaults;
            return new VantaTelemetry(dependencies, parent);
        };
        delegate = std::make_unique<AppDelegate>(harness.makeStore(), environment);
        delegate->applicationDidFinishLaunching();
    }
    QString service() const { return delegate->statusItem()->statusNotifier()->serviceName(); }
};

} // namespace

class TestStatusNotifier : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A key read a launch refresh started is taken in before the next test, and before the application goes.
    void cleanup() { QTRY_COMPARE_WITH_TIMEOUT(KeychainWorker::answersOutstanding(), 0, 10000); }
    void registersWithEveryWatcher() {
        REQUIRE_PRIVATE_BUS();
        QMenu menu;
        StatusItem item(&menu, QDBusConnection::sessionBus());
        // Offscreen there is no XEmbed tray either.
        QCOMPARE(item.host(), StatusItem::Host::none);
        QVERIFY(!item.isVisible());

        // A panel started after the application.
        FakeWatcher late(QStringLiteral("watcher-late"));
        QVERIFY(late.take());
        QTRY_COMPARE(item.host(), StatusItem::Host::statusNotifier);
        const QString service = item.statusNotifier()->serviceName();
        QTRY_COMPARE(late.items(), QStringList{service});
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value());

        // A restarted panel takes the name over: the item registers with it too, once.
        FakeWatcher restarted(QStringLiteral("watcher-restarted"));
        QVERIFY(restarted.take());
        QTRY_COMPARE(restarted.items(), QStringList{service});
        QCOMPARE(late.items(), QStringList{service});
        QCOMPARE(item.host(), StatusItem::Host::statusNotifier);

        // The panel goes: no tray; another comes: registered again.
        restarted.leave();
        QTRY_COMPARE(item.host(), StatusItem::Host::none);
        FakeWatcher next(QStringLiteral("watcher-next"));
        QVERIFY(next.take());
        QTRY_COMPARE(next.items(), QStringList{service});
        QCOMPARE(item.host(), StatusItem::Host::statusNotifier);

        // One that loses the item after accepting it is asked again until it lists it, and then no more.
        FakeWatcher forgetful(QStringLiteral("watcher-forgetful"));
        forgetful.forget = 2;
        QVERIFY(forgetful.take());
        QTRY_COMPARE_WITH_TIMEOUT(forgetful.items(), QStringList{service},
                                  4 * StatusNotifierItem::confirmDelayMs);
        QTest::qWait(2 * StatusNotifierItem::confirmDelayMs);
        QCOMPARE(forgetful.registrations, 3);
    }

    // Watchers that outlive their panel: the item shows only while a panel draws it, and stays registered.
    void followsThePanelBehindAWatcher() {
        REQUIRE_PRIVATE_BUS();
        QMenu menu;
        StatusItem item(&menu, QDBusConnection::sessionBus());
        FakeWatcher watcher(QStringLiteral("watcher-standalone"));
        watcher.setHostRegistered(false);
        QVERIFY(watcher.take());
        const auto service = [&] {
            return item.statusNotifier() ? item.statusNotifier()->serviceName() : QString();
        };
        QTRY_COMPARE(watcher.items(), QStringList{service()});
        QTest::qWait(200);
        QCOMPARE(item.host(), StatusItem::Host::none);

        // Cinnamon: the watcher says when its panel comes and goes.
        watcher.setHostRegistered(true);
        QTRY_COMPARE(item.host(), StatusItem::Host::statusNotifier);
        watcher.setHostRegistered(false);
        QTRY_COMPARE(item.host(), StatusItem::Host::none);
        watcher.setHostRegistered(true);
        QTRY_COMPARE(item.host(), StatusItem::Host::statusNotifier);

        // Plasma: the watcher keeps saying yes; the panel's host name going is the only sign.
        {
            FakeHost panel(QStringLiteral("org.kde.StatusNotifierHost-4242"));
            QTest::qWait(200);
            QCOMPARE(item.host(), StatusItem::Host::statusNotifier);
            panel.leave();
            QTRY_COMPARE(item.host(), StatusItem::Host::none);
        }
        FakeHost restarted(QStringLiteral("org.kde.StatusNotifierHost-4343"));
        QTRY_COMPARE(item.host(), StatusItem::Host::statusNotifier);
        QCOMPARE(watcher.items(), QStringList{service()});
    }

    void listsItem_data() {
        QTest::addColumn<QStringList>("registered");
        QTest::addColumn<bool>("listed");
        // KDE's watcher adds the object path; GNOME's the unique name and path; others the bus name alone.
        QTest::newRow("bus name") << QStringList{"org.kde.StatusNotifierItem-7-1"} << true;
        QTest::newRow("bus name and path")
            << QStringList{"x", "org.kde.StatusNotifierItem-7-1/StatusNotifierItem"} << true;
        QTest::newRow("unique name and path") << QStringList{":1.42@/StatusNotifierItem"} << true;
        QTest::newRow("another process") << QStringList{"org.kde.StatusNotifierItem-71-1", ":1.420"} << false;
        QTest::newRow("none") << QStringList{} << false;
    }
    void listsItem() {
        QFETCH(QStringList, registered);
        QFETCH(bool, listed);
        QCOMPARE(StatusNotifierItem::listsItem(registered, {"org.kde.StatusNotifierItem-7-1", ":1.42"}),
                 listed);
    }

    void properties_data() {
        QTest::addColumn<std::optional<ConsensusForecast>>("forecast");
        QTest::addColumn<WeatherSettings>("settings");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("toolTipTitle");
        QTest::addColumn<QString>("toolTipBody");
        const auto rain =
            forecastWith(21.2, WeatherCondition::rain, QStringLiteral("Rain likely around 3 PM."));
        QTest::newRow("all on") << std::optional(rain) << celsiusSettings(true, true)
                                << QStringLiteral("21° Rain 83%") << QStringLiteral("21° Rain 83%")
                                << QStringLiteral("Rain likely around 3 PM.");
        QTest::newRow("temperature only")
            << std::optional(rain) << celsiusSettings(false, false) << QStringLiteral("21°")
            << QStringLiteral("21°") << QStringLiteral("Rain likely around 3 PM.");
        QTest::newRow("confidence only, no summary")
            << std::optional(forecastWith(-3, WeatherCondition::snow, QString()))
            << celsiusSettings(false, true) << QStringLiteral("-3° 83%") << QStringLiteral("-3° 83%")
            << QString();
        QTest::newRow("no forecast") << std::optional<ConsensusForecast>() << celsiusSettings(true, true)
                                     << QStringLiteral("Weather --°") << QStringLiteral("Nimbra")
                                     << QString();
    }

    void properties() {
        REQUIRE_PRIVATE_BUS();
        QFETCH(std::optional<ConsensusForecast>, forecast);
        QFETCH(WeatherSettings, settings);
        QFETCH(QString, label);
        FakeWatcher watcher(QStringLiteral("watcher"));
        QVERIFY(watcher.take());
        QMenu menu;
        StatusItem item(&menu, QDBusConnection::sessionBus());
        QCOMPARE(item.host(), StatusItem::Host::statusNotifier);
        const StatusItemModel model = statusItemModel(forecast, settings);
        item.paint(model);
        const QString service = item.statusNotifier()->serviceName();
        QTRY_COMPARE(watcher.items(), QStringList{service});

        QCOMPARE(busProperty<QString>(service, QStringLiteral("Id")), QStringLiteral("nimbra"));
        QCOMPARE(busProperty<QString>(service, QStringLiteral("Category")),
                 QStringLiteral("ApplicationStatus"));
        QCOMPARE(busProperty<QString>(service, QStringLiteral("Status")), QStringLiteral("Active"));
        QCOMPARE(busProperty<QString>(service, QStringLiteral("Title")), QStringLiteral("Nimbra"));
        QCOMPARE(busProperty<bool>(service, QStringLiteral("ItemIsMenu")), false);
        QCOMPARE(busProperty<QDBusObjectPath>(service, QStringLiteral("Menu")).path(),
                 QStringLiteral("/MenuBar"));
        QCOMPARE(busProperty<QString>(service, QStringLiteral("XAyatanaLabel")), label);
        const QString guide = busProperty<QString>(service, QStringLiteral("XAyatanaLabelGuide"));
        QVERIFY2(guide.size() >= label.size(), qPrintable(guide));
        const auto toolTip = busProperty<SniToolTip>(service, QStringLiteral("ToolTip"));
        QTEST(toolTip.title, "toolTipTitle");
        QTEST(toolTip.description, "toolTipBody");

        const auto pixmaps = busProperty<SniIconPixmaps>(service, QStringLiteral("IconPixmap"));
        QCOMPARE(pixmaps.size(), TrayIconEngine::offeredSizes().size());
        for (const SniIconPixmap& pixmap : pixmaps) {
            QCOMPARE(pixmap.width, pixmap.height);
            const QImage painted = TrayIconPainter::image(model, pixmap.width);
            QVERIFY(sameWithinRounding(pixmap.bytes, networkOrderBytes(painted)));
        }
    }

    void labelGuideIsTheWidestTitle() {
        // Every condition and the coldest readings fit in the guide the settings give.
        for (const bool condition : {false, true}) {
            for (const bool confidence : {false, true}) {
                const WeatherSettings settings = celsiusSettings(condition, confidence);
                const QString guide = statusItemLabelGuide(settings);
                for (const WeatherCondition c : conditions::allCases()) {
                    const QString title = statusItemModel(forecastWith(-49, c, QString()), settings).title;
                    QVERIFY2(title.size() <= guide.size(), qPrintable(title + " / " + guide));
                }
                QVERIFY(statusItemModel(std::nullopt, settings).title.size() <= guide.size());
            }
        }
    }

    void changeSignalsOnlyForChanges() {
        REQUIRE_PRIVATE_BUS();
        FakeWatcher watcher(QStringLiteral("watcher"));
        QVERIFY(watcher.take());
        QMenu menu;
        StatusItem item(&menu, QDBusConnection::sessionBus());
        const auto settings = celsiusSettings(true, false);
        const StatusItemModel first =
            statusItemModel(forecastWith(21, WeatherCondition::rain, QStringLiteral("Rain.")), settings);
        item.paint(first);
        SignalRecorder heard(item.statusNotifier()->serviceName(),
                             {QStringLiteral("NewIcon"), QStringLiteral("NewToolTip"),
                              QStringLiteral("XAyatanaNewLabel"), QStringLiteral("NewTitle")});
        QTest::qWait(100);

        item.paint(first);
        QTest::qWait(150);
        QCOMPARE(heard.names, QStringList());

        item.paint(
            statusItemModel(forecastWith(21, WeatherCondition::rain, QStringLiteral("Dry.")), settings));
        QTRY_COMPARE(heard.names, QStringList{QStringLiteral("NewToolTip")});

        const StatusItemModel colder =
            statusItemModel(forecastWith(12, WeatherCondition::rain, QStringLiteral("Dry.")), settings);
        item.paint(colder);
        // The title leads the tooltip, so that changes too.
        QTRY_COMPARE(heard.names.size(), 4);
        QCOMPARE(heard.names.mid(1), (QStringList{QStringLiteral("NewIcon"), QStringLiteral("NewToolTip"),
                                                  QStringLiteral("XAyatanaNewLabel")}));
        QCOMPARE(heard.arguments.last(), (QVariantList{colder.title, colder.labelGuide}));
        QCOMPARE(busProperty<QString>(item.statusNotifier()->serviceName(), QStringLiteral("XAyatanaLabel")),
                 QStringLiteral("12° Rain"));
    }

    void storeChangesReachThePanelOnceAfterTheDebounce() {
        REQUIRE_PRIVATE_BUS();
        FakeWatcher watcher(QStringLiteral("watcher"));
        QVERIFY(watcher.take());
        AppRig rig;
        QTRY_COMPARE(watcher.items(), QStringList{rig.service()});
        SignalRecorder heard(rig.service(), {QStringLiteral("XAyatanaNewLabel")});
        QTest::qWait(100);
        WeatherStore& store = rig.delegate->store();
        store.updateSettings(
            [](WeatherSettings& s) { s.showConfidenceInMenuBar = !s.showConfidenceInMenuBar; });
        store.updateSettings(
            [](WeatherSettings& s) { s.showConditionInMenuBar = !s.showConditionInMenuBar; });
        QTRY_COMPARE(heard.names.size(), 1);
        QTest::qWait(AppDelegate::repaintDebounceMs * 3);
        QCOMPARE(heard.names.size(), 1);
        const QString label = busProperty<QString>(rig.service(), QStringLiteral("XAyatanaLabel"));
        QCOMPARE(label, rig.delegate->statusItemModel().title);
        QCOMPARE(heard.arguments.first().value(0).toString(), label);
    }

    void menuLayoutAndClicks() {
        REQUIRE_PRIVATE_BUS();
        FakeWatcher watcher(QStringLiteral("watcher"));
        QVERIFY(watcher.take());
        AppRig rig;
        const QString service = rig.service();
        QTRY_COMPARE(watcher.items(), QStringList{service});
        QCOMPARE(busProperty<uint>(service, QStringLiteral("Version"), menuInterface,
                                   StatusNotifierItem::menuPath),
                 3u);

        const QDBusMessage reply = callItem(service, StatusNotifierItem::menuPath, menuInterface,
                                            QStringLiteral("GetLayout"), {0, -1, QStringList()});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        const auto layout = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1));
        QCOMPARE(layout.id, 0);
        QStringList labels;
        QList<DBusMenuShortcut> shortcuts;
        for (const DBusMenuLayoutItem& child : layout.children) {
            labels.append(child.properties.value(QStringLiteral("type")).toString() ==
                                  QLatin1String("separator")
                              ? QStringLiteral("-")
                              : child.properties.value(QStringLiteral("label")).toString());
            shortcuts.append(
                qdbus_cast<DBusMenuShortcut>(child.properties.value(QStringLiteral("shortcut"))));
        }
        QCOMPARE(labels, (QStringList{AppDelegate::openTitle, QStringLiteral("-"), AppDelegate::refreshTitle,
                                      AppDelegate::settingsTitle, AppDelegate::updatesTitle,
                                      QStringLiteral("-"), AppDelegate::quitTitle}));
        const auto control = [](const char* key) {
            return DBusMenuShortcut{{QStringLiteral("Control"), QString::fromLatin1(key)}};
        };
        QCOMPARE(shortcuts,
                 (QList<DBusMenuShortcut>{{}, {}, control("R"), control("comma"), {}, {}, control("Q")}));
        // One item alone, and an id the menu does not have.
        const QDBusMessage one = callItem(service, StatusNotifierItem::menuPath, menuInterface,
                                          QStringLiteral("GetLayout"), {4, -1, QStringList{"label"}});
        QCOMPARE(qdbus_cast<DBusMenuLayoutItem>(one.arguments().value(1)).properties,
                 (QVariantMap{{QStringLiteral("label"), AppDelegate::settingsTitle}}));
        QCOMPARE(callItem(service, StatusNotifierItem::menuPath, menuInterface, QStringLiteral("GetLayout"),
                          {42, -1, QStringList()})
                     .type(),
                 QDBusMessage::ErrorMessage);
        const QDBusMessage shown = callItem(service, StatusNotifierItem::menuPath, menuInterface,
                                            QStringLiteral("AboutToShow"), {0});
        QCOMPARE(shown.arguments().value(0).toBool(), false);

        // "clicked" on each item does what the menu's own action does.
        const QList<QAction*> actions = rig.delegate->contextMenu()->actions();
        QList<std::shared_ptr<QSignalSpy>> triggered;
        for (QAction* action : actions)
            triggered.append(std::make_shared<QSignalSpy>(action, &QAction::triggered));
        QSignalSpy updateChecks(rig.delegate->updaterController(), &UpdaterController::checkFinished);
        const auto click = [&](int id) {
            return callItem(service, StatusNotifierItem::menuPath, menuInterface, QStringLiteral("Event"),
                            {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        };
        // "Open Nimbra" opens the dashboard, as a click on the icon would.
        QCOMPARE(click(1).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(rig.delegate->isPopoverShown());
        rig.delegate->closePopover();
        QCOMPARE(click(3).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(triggered[2]->size(), 1);
        click(4);
        QTRY_VERIFY(rig.delegate->settingsWindow() && rig.delegate->settingsWindow()->isVisible());
        click(5);
        QTRY_COMPARE(updateChecks.size(), 1);
        // A separator does nothing, a hovered item neither.
        callItem(service, StatusNotifierItem::menuPath, menuInterface, QStringLiteral("Event"),
                 {3, QStringLiteral("hovered"), QVariant::fromValue(QDBusVariant(0)), 0u});
        click(2);
        click(6);
        QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
        const QDBusMessage group = callItem(
            service, StatusNotifierItem::menuPath, menuInterface, QStringLiteral("EventGroup"),
            {QVariant::fromValue(DBusMenuEvents{{7, QStringLiteral("clicked"), QDBusVariant(0), 0}})});
        QCOMPARE(group.type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(triggered[6]->size(), 1);
        QCOMPARE(triggered[0]->size(), 1);
        QCOMPARE(triggered[1]->size(), 0);
        QCOMPARE(triggered[2]->size(), 1);
        QCOMPARE(triggered[3]->size(), 1);
        QCOMPARE(triggered[4]->size(), 1);
        QCOMPARE(triggered[5]->size(), 0);
    }

    void activateTogglesAndContextMenuShowsTheMenu() {
        REQUIRE_PRIVATE_BUS();
        FakeWatcher watcher(QStringLiteral("watcher"));
        QVERIFY(watcher.take());
        AppRig rig;
        const QString service = rig.service();
        QTRY_COMPARE(watcher.items(), QStringList{service});
        const auto call = [&](const char* method, int x, int y) {
            return callItem(service, StatusNotifierItem::objectPath, sniInterface,
                            QString::fromLatin1(method), {x, y});
        };
        QCursor::setPos(204, 12);
        QCOMPARE(call("Activate", 200, 10).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(rig.delegate->isPopoverShown());
        // Hung from the point the panel gave, below it.
        const QRect popover = rig.delegate->popover()->frameGeometry();
        QVERIFY2(popover.top() >= 10 && popover.left() <= 200 && popover.right() >= 200,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(popover.x())
                                .arg(popover.y())
                                .arg(popover.width())
                                .arg(popover.height())));
        // A second click once the first has settled closes it; SecondaryActivate does the same.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        call("SecondaryActivate", 0, 0);
        QTRY_VERIFY(!rig.delegate->isPopoverShown());
        QTest::qWait(TrayClickFilter::closeGuardMs + 50);
        call("Activate", 0, 0);
        QTRY_VERIFY(rig.delegate->isPopoverShown());
        rig.delegate->closePopover();
        // MATE's panel gives its applet's own coordinates: the popover hangs at the pointer instead.
        QTest::qWait(TrayClickFilter::closeGuardMs + 50);
        QCursor::setPos(600, 12);
        call("Activate", 0, 25);
        QTRY_VERIFY(rig.delegate->isPopoverShown());
        const QRect atPointer = rig.delegate->popover()->frameGeometry();
        QVERIFY2(atPointer.contains(600, 40), qPrintable(QStringLiteral("%1,%2 %3x%4 pointer %5,%6")
                                                             .arg(atPointer.x())
                                                             .arg(atPointer.y())
                                                             .arg(atPointer.width())
                                                             .arg(atPointer.height())
                                                             .arg(QCursor::pos().x())
                                                             .arg(QCursor::pos().y())));
        rig.delegate->closePopover();

        call("ContextMenu", 300, 12);
        QTRY_VERIFY(rig.delegate->contextMenu()->isVisible());
        QVERIFY(!rig.delegate->isPopoverShown());
        rig.delegate->contextMenu()->hide();
    }
};

QTEST_MAIN(TestStatusNotifier)
#include "tst_status_notifier.moc"
