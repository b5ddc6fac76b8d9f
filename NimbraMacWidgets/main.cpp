// nimbra-widgets: shows Nimbra's widgets on the desktop and keeps them current from the snapshot the
// application writes. One per user session.
#include "FreedMemory.h"
#include "TerminationSignals.h"
#include "Translations.h"
#include "WidgetHost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLockFile>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char** argv) {
    nimbra::useOneAllocatorArena();
    QApplication app(argc, argv);
    nimbra::Translations::install(app);
    QApplication::setApplicationName(nimbra::WidgetHost::applicationName);
    QApplication::setApplicationVersion(QStringLiteral(NIMBRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(NIMBRA_APP_IDENTIFIER ".Widgets"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows Nimbra's weather widgets on the desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption boardOption(QStringLiteral("board"),
                                         QStringLiteral("Show all widgets in one window."));
    parser.addOption(boardOption);
    parser.process(app);

    nimbra::WidgetHostOptions options;
    options.board = nimbra::widgetsNeedBoard(parser.isSet(boardOption), QGuiApplication::platformName());
    QApplication::setQuitOnLastWindowClosed(options.board);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && !bus.registerService(nimbra::WidgetHost::busName())) {
        // Already running in this session: let that host show its widgets instead.
        bus.call(QDBusMessage::createMethodCall(nimbra::WidgetHost::busName(), nimbra::WidgetHost::objectPath,
                                                nimbra::WidgetHost::busName(),
                                                QStringLiteral("ShowWidgets")));
        std::fputs("Nimbra widgets are already running.\n", stderr);
        return 0;
    }
    // Without a bus, a lock file keeps the user to one host.
    QLockFile lock(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                   QStringLiteral("/nimbra-widgets.lock"));
    if (!bus.isConnected() && !lock.tryLock(0)) {
        std::fputs("Nimbra widgets are already running.\n", stderr);
        return 0;
    }

    // Logout and Ctrl+C end it through the event loop, so the host and its windows are torn down in order.
    nimbra::TerminationSignals::quitApplicationOnSignals();
    nimbra::WidgetHost host(options);
    if (bus.isConnected())
        bus.registerObject(nimbra::WidgetHost::objectPath, &host, QDBusConnection::ExportScriptableSlots);
    host.start();
    return app.exec();
}
