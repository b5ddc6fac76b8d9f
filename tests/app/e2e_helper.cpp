// nimbra-e2e-helper: the end-to-end check's hands inside the test session.
//
//   nimbra-e2e-helper snapshot
//       Writes a snapshot to the default file (under $XDG_DATA_HOME) with the store's own writer: the
//       current-location entry and the saved place "Bergen", selected, with the sample forecast of now.
//   nimbra-e2e-helper warm-pixels FILE X Y W H
//       Counts the warm (orange and yellow) pixels of a screenshot's rectangle: the trend line, its area and
//       the sun of a drawn forecast are warm, a dashboard without one is grey.
//   nimbra-e2e-helper watcher
//       Runs a StatusNotifierWatcher on the session bus, as a panel that speaks only the D-Bus tray protocol
//       does, until killed; prints each item that registers.
//   nimbra-e2e-helper shell-windows
//       Prints the windows GNOME Shell ties to applications, as "WM_CLASS<tab>application id<tab>focused" (or
//       "-" for the last column), one a line
//       (org.gnome.Shell.Introspect). The shell answers only its desktop portal, so the helper first takes
//       the portal's name on the check's private session bus.
#include "ConsensusEngine.h"
#include "WeatherCache.h"
#include "WeatherFixtures.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QImage>
#include <QTimer>
#include <QUuid>

#include <cstdio>

using namespace nimbra;

namespace {

int writeSnapshot() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    WeatherLocation current;
    current.id = QUuid::createUuid();
    current.name = QStringLiteral("Current Location");
    current.subtitle = QStringLiteral("Allow location access or search for a city");
    current.isCurrentLocation = true;
    current.allowsApproximateLocation = true;
    current.updatedAt = now;
    WeatherLocation bergen;
    bergen.id = QUuid::createUuid();
    bergen.name = QStringLiteral("Bergen");
    bergen.subtitle = QStringLiteral("Vestland, Norway");
    bergen.latitude = 60.39;
    bergen.longitude = 5.32;
    bergen.updatedAt = now;

    CachedWeatherPayload payload;
    payload.locations = {current, bergen};
    payload.settings.menuBarLocationID = bergen.id;
    const ConsensusForecast forecast =
        ConsensusEngine::build(bergen, WeatherFixtures::providerForecasts(bergen, now), {}, now);
    payload.forecasts.insert(bergen.id, forecast);
    payload.selectedForecast = forecast;
    const WeatherCache cache;
    if (const auto error = cache.save(payload)) {
        std::fprintf(stderr, "cannot write the snapshot: %s\n", qPrintable(error->description));
        return 1;
    }
    std::printf("%s\n", qPrintable(WeatherCache::defaultFilePath()));
    return 0;
}

// The warm (sun-coloured) pixels of an area of a screenshot.
QList<QPoint> warmPoints(const QStringList& args) {
    const QImage image(args.value(0));
    if (image.isNull() || args.size() < 5) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.value(0)));
        return {};
    }
    const QRect area =
        QRect(args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt()) & image.rect();
    QList<QPoint> warm;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 90 && c.green() < 215 && c.blue() < 110)
                warm.append(QPoint(x, y));
        }
    }
    return warm;
}

int warmPixels(const QStringList& args) {
    if (QImage(args.value(0)).isNull())
        return 2;
    std::printf("%d\n", int(warmPoints(args).size()));
    return 0;
}

// "X Y": the middle of the warm pixels of the area (where a tray icon's sun is), nothing when there are none.
int warmSpot(const QStringList& args) {
    const QList<QPoint> warm = warmPoints(args);
    if (warm.isEmpty())
        return 1;
    QRect bounds(warm.first(), QSize(1, 1));
    for (const QPoint& point : warm)
        bounds |= QRect(point, QSize(1, 1));
    std::printf("%d %d\n", bounds.center().x(), bounds.center().y());
    return 0;
}

// The watcher side of the D-Bus tray protocol, enough for items to register and be listed.
class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    QStringList items() const { return m_items; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        // An item may name itself by its object path alone; then the sender is the bus name.
        const QString item = service.startsWith(QLatin1Char('/')) ? message().service() + service : service;
        if (!m_items.contains(item))
            m_items.append(item);
        std::printf("registered %s\n", qPrintable(item));
        std::fflush(stdout);
        Q_EMIT StatusNotifierItemRegistered(item);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);

private:
    QStringList m_items;
};

int runWatcher() {
    static Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllContents) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "cannot run the watcher: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}

int printShellWindows() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerService(QStringLiteral("org.freedesktop.impl.portal.desktop.gtk"))) {
        std::fprintf(stderr, "cannot take the portal's name: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    // The shell learns the name's new owner from a signal.
    QTimer::singleShot(300, &QCoreApplication::quit);
    QCoreApplication::exec();
    const QString shell = QStringLiteral("org.gnome.Shell.Introspect");
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
        shell, QStringLiteral("/org/gnome/Shell/Introspect"), shell, QStringLiteral("GetWindows")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        std::fprintf(stderr, "GetWindows failed: %s\n", qPrintable(reply.errorMessage()));
        return 1;
    }
    const auto windows = qdbus_cast<QMap<quint64, QVariantMap>>(reply.arguments().constFirst());
    for (const QVariantMap& window : windows)
        std::printf("%s\t%s\t%s\n", qPrintable(window.value(QStringLiteral("wm-class")).toString()),
                    qPrintable(window.value(QStringLiteral("app-id")).toString()),
                    window.value(QStringLiteral("has-focus")).toBool() ? "focused" : "-");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("snapshot"))
        return writeSnapshot();
    if (args.value(0) == QLatin1String("warm-pixels"))
        return warmPixels(args.mid(1));
    if (args.value(0) == QLatin1String("warm-spot"))
        return warmSpot(args.mid(1));
    if (args.value(0) == QLatin1String("watcher"))
        return runWatcher();
    if (args.value(0) == QLatin1String("shell-windows"))
        return printShellWindows();
    std::fprintf(stderr,
                 "usage: nimbra-e2e-helper snapshot | warm-pixels FILE X Y W H | watcher | shell-windows\n");
    return 2;
}

#include "e2e_helper.moc"
