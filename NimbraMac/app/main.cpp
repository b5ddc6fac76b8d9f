// nimbra: the tray application.
#include "AppDelegate.h"
#include "ApplicationIcon.h"
#include "BuildInfo.h"
#include "FirstTurnMark.h"
#include "FreedMemory.h"
#include "KeychainWorker.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "Translations.h"
#include "WeatherStore.h"

#include <QApplication>

namespace {

// A keyring thread told to stop ends at once; one in a call that hangs would not end for a longer wait
// either.
constexpr std::chrono::milliseconds keychainExitWait{100};

// The application until it quits. Everything of it is gone on return: saves written, key writes waited for.
int run(nimbra::SingleInstance& instance, std::shared_ptr<nimbra::SnapshotReadAhead> launchReading) {
    nimbra::AppDelegate delegate(nimbra::AppDelegate::makeDefaultStore(std::move(launchReading)));
    QObject::connect(&instance, &nimbra::SingleInstance::showRequested, &delegate,
                     &nimbra::AppDelegate::anotherStartRequested);
    delegate.applicationDidFinishLaunching();

    nimbra::printFirstTurnWhenAsked();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    nimbra::useOneAllocatorArena();
    // Read while the application connects to the display: with many places, most of a launch.
    auto launchReading =
        std::make_shared<nimbra::SnapshotReadAhead>(std::make_shared<nimbra::WeatherCache>());
    QApplication app(argc, argv);
    nimbra::Translations::install(app);
    QApplication::setApplicationName(nimbra::BuildInfo::applicationName());
    QApplication::setApplicationVersion(nimbra::BuildInfo::version());
    // Taskbars and Wayland compositors match the windows to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(nimbra::BuildInfo::applicationIdentifier());
    // The tray icon does not need it: looked up (some 10 ms and the SVG renderer) when a window first shows.
    nimbra::setApplicationIconOnFirstWindow();
    // Closing the dashboard window or a dialog must not end a tray application.
    QApplication::setQuitOnLastWindowClosed(false);

    nimbra::SingleInstance instance;
    if (instance.claim() == nimbra::SingleInstance::Outcome::handedOver)
        return 0;

    // Logout and Ctrl+C end it like "Quit": the delegate tears down, the store and the keyring flush.
    nimbra::TerminationSignals::quitApplicationOnSignals();
    const int status = run(instance, std::move(launchReading));
    nimbra::KeychainWorker::exitIfACallHangs(status, keychainExitWait);
    return status;
}
