// nimbra: the tray application.
#include "AppDelegate.h"
#include "BuildInfo.h"
#include "SingleInstance.h"
#include "WeatherStore.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbra"));
    QApplication::setApplicationVersion(nimbra::BuildInfo::version());
    QApplication::setDesktopFileName(nimbra::BuildInfo::applicationIdentifier());
    // Closing the dashboard window or a dialog must not end a tray application.
    QApplication::setQuitOnLastWindowClosed(false);

    nimbra::SingleInstance instance;
    if (instance.claim() == nimbra::SingleInstance::Outcome::handedOver)
        return 0;

    nimbra::AppDelegate delegate(nimbra::AppDelegate::makeDefaultStore());
    QObject::connect(&instance, &nimbra::SingleInstance::showRequested, &delegate,
                     &nimbra::AppDelegate::showDashboard);
    delegate.applicationDidFinishLaunching();

    // For the start-up benchmark: the wall-clock time of the first turn of the event loop.
    if (qEnvironmentVariableIsSet("NIMBRA_PRINT_FIRST_TURN")) {
        QTimer::singleShot(0, [] {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("first-turn %lld\n",
                        static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
            std::fflush(stdout);
        });
    }
    return QApplication::exec();
}
