#include "AppDelegate.h"

#include "AppLog.h"
#include "BuildInfo.h"
#include "DashboardResizeHandle.h"
#include "DeviceCurrentLocationService.h"
#include "FirstTurnMark.h"
#include "FreedMemory.h"
#include "Keychain.h"
#include "MacDashboardView.h"
#include "PopoverWindow.h"
#include "ProviderBaseURL.h"
#include "StatusItem.h"
#include "SymbolImage.h"
#include "SystemEvents.h"
#include "Translations.h"
#include "UbiquitousKeyValueStore.h"
#include "UpdaterController.h"
#include "UserDefaults.h"
#include "VantaSettingsRoot.h"
#include "VantaTelemetry.h"
#include "WeatherStore.h"
#include "WidgetHostLauncher.h"

#include <QApplication>
#include <QCursor>
#include <QDBusServiceWatcher>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QShortcut>

namespace nimbra {
namespace {

bool isWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A Wayland session, whether Qt talks Wayland or runs through Xwayland: there an X11 popup never learns of
// clicks on Wayland windows or the shell, so it would never close.
bool isWaylandSession() {
    return isWayland() || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

// How long after the widget host's start its board window may still open, and how long the host may take.
constexpr int boardSettleMs = 700;
constexpr int hostStartLimitMs = 15'000;
// The refreshes a window's showing asks for (the dashboard opened, the application active) start once it is
// painted: started in its turn, the refresh's first change (its spinner, the warning row emptied) laid the
// window out and painted it again right behind its first paint.
constexpr int refreshAfterShowingMs = 200;

} // namespace

std::unique_ptr<WeatherStore>
AppDelegate::makeDefaultStore(std::shared_ptr<SnapshotReadAhead> launchReading) {
    auto session = std::make_shared<HTTPSession>();
    WeatherStoreEnvironment environment;
    environment.providers.session = session;
    auto cache = launchReading ? launchReading->cache() : std::make_shared<WeatherCache>();
    environment.launchReading = std::move(launchReading);
    const QUrl baseURL = providerBaseURLOverride();
    if (!baseURL.isEmpty()) {
        for (const auto kind : providers::allCases())
            environment.providers.baseURLs.insert(kind, baseURL);
    }
    auto syncStore = std::make_shared<LocationSyncStore>(UbiquitousKeyValueStore::makeDefault());
    auto location = DeviceCurrentLocationService::makeDefault(session, baseURL);
    auto credentials =
        std::make_shared<WeatherProviderCredentialStore>(UserDefaults::standard(), Keychain::secretService());
    return std::make_unique<WeatherStore>(std::move(cache), std::move(syncStore), std::move(location),
                                          std::move(credentials), std::move(environment));
}

AppDelegate::AppDelegate(std::unique_ptr<WeatherStore> store, AppEnvironment environment, QObject* parent)
    : QObject(parent), m_store(std::move(store)), m_environment(std::move(environment)),
      m_contextMenu(std::make_unique<QMenu>()), m_trayAbsence(m_environment.trayReturnGrace) {
    if (!m_environment.defaults)
        m_environment.defaults = UserDefaults::standard();
    m_telemetry = m_environment.makeTelemetry ? m_environment.makeTelemetry(this) : new VantaTelemetry(this);
    m_refreshTarget = std::make_unique<StoreRefreshTarget>(*m_store);
    m_scheduler =
        std::make_unique<RefreshScheduler>(*m_refreshTarget, m_environment.clock, m_environment.makeTimer());
    m_repaintDebounce.setSingleShot(true);
    m_repaintDebounce.setInterval(repaintDebounceMs);
    connect(&m_repaintDebounce, &QTimer::timeout, this, [this] {
        updateStatusItem();
        m_scheduler->settingsChanged();
    });
    connect(&m_trayAbsence, &TrayAbsence::showInstead, this, [this] {
        qCInfo(appLog()) << "The tray host is gone: the dashboard shows as a window";
        showInsteadOfTray();
    });
    connect(&m_trayAbsence, &TrayAbsence::returnToTray, this, &AppDelegate::returnToTray);
}

AppDelegate::~AppDelegate() {
    applicationWillTerminate();
    // The dashboard reads the store: it goes first.
    m_popover.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_launched)
        return;
    m_launched = true;
    m_telemetry->start();
    m_updaterController = new UpdaterController(this);
    configurePopover();
    buildContextMenu();
    createStatusItem();
    updateStatusItem();
    installObserversAndRefreshTimer();
    observeStoreChanges();
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
    // The first refresh waits for the event loop's first turn, so the tray icon is up and answering first;
    // the dashboard's content and the widget host follow in a turn of their own, so input that arrived
    // meanwhile is not held up behind them.
    QTimer::singleShot(0, this, [this] {
        m_scheduler->trigger(RefreshTrigger::launch);
        QTimer::singleShot(0, this, [this] {
            loadDashboard();
            // Never invisible: without a tray to open it from, the dashboard shows as a window. Readied over
            // turns as a tray click readies it: shown in the launch's turn, it held the thread two frames.
            if (dashboardIsTheWayBack())
                showInsteadOfTray();
            if (m_environment.useDesktop)
                startWidgetHost();
            // The settings window's symbols are made meanwhile, off this thread, so its opening draws them
            // at once (one alone takes 7 ms to make).
            SymbolImage::prepareAllInBackground();
            // The launch's decode and merge are done with.
            releaseFreedMemorySoon();
        });
    });
}

void AppDelegate::startWidgetHost() {
    // The widgets belong to the application on the desktop: their host starts with it unless one runs
    // already. The check on the bus and the start (a fork, then the host's exec) run on a thread of their
    // own: here they held the launch's first paint up for tens of milliseconds.
    using Outcome = WidgetHostLauncher::Outcome;
    WidgetHostLauncher::startIfNotRunningAside(
        this, QCoreApplication::applicationDirPath(),
        WidgetHostLauncher::hostOnBus(QDBusConnection::sessionBus()), [this](Outcome outcome) {
            switch (outcome) {
            case Outcome::started:
                keepDashboardAboveTheBoard();
                break;
            case Outcome::alreadyRunning:
                break;
            case Outcome::notFound:
                qCWarning(appLog()) << "The widget host" << WidgetHostLauncher::programName
                                    << "is not installed; the desktop widgets stay off";
                break;
            case Outcome::failed:
                qCWarning(appLog()) << "The widget host" << WidgetHostLauncher::programName
                                    << "could not be started";
                break;
            }
        });
}

void AppDelegate::keepDashboardAboveTheBoard() {
    // Where the host shows one board window (Wayland), it opens after the dashboard and would cover it: the
    // dashboard, the only way back without a tray, comes forward again once the host is up.
    if (!dashboardIsTheWayBack() || !(isPopoverShown() || m_firstOpening.isRunning()))
        return;
    auto* watcher = new QDBusServiceWatcher(WidgetHostLauncher::busName, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this, watcher] {
        watcher->deleteLater();
        QTimer::singleShot(boardSettleMs, this, [this] {
            if (!isPopoverShown())
                return;
            // A Wayland compositor raises no window without a token from the user; the window it maps last
            // it shows on top with the focus, so the dashboard is mapped again, after the board.
            if (isWayland())
                m_popover->hide();
            showDashboard();
        });
    });
    // Nothing to wait for once the host has had its chance.
    QTimer::singleShot(hostStartLimitMs, watcher, &QObject::deleteLater);
}

void AppDelegate::applicationWillTerminate() {
    m_scheduler->shutDown();
    m_repaintDebounce.stop();
    // Saves are written on a thread of their own: the last state reaches the disk before the process ends.
    m_store->close();
}

void AppDelegate::configurePopover() {
    m_popover = std::make_unique<PopoverWindow>(PopoverWindow::Mode::popup);
    m_popover->setMinimumSize(PopoverSizing::minimumWidth, PopoverSizing::minimumHeight);
    m_popover->resize(PopoverSizing::initialSize(*m_environment.defaults, availableGeometry()));
    connect(m_popover.get(), &PopoverWindow::settingsShortcut, this, &AppDelegate::openSettings);
    connect(m_popover.get(), &PopoverWindow::closedByUser, this, &AppDelegate::dashboardWindowClosed);
    // Its own Ctrl+, is consumed before a focused control sees it.
    addMenuKeys(m_popover.get(), false);
}

void AppDelegate::loadDashboard() {
    if (m_dashboard || !m_popover)
        return;
    QPointer<AppDelegate> self(this);
    m_dashboard = new MacDashboardView(
        *m_store,
        [self] {
            if (self)
                self->closePopover();
        },
        [self](QSizeF delta) {
            if (self)
                self->resizePopover(delta);
        },
        m_environment.clock, m_environment.calendar);
    m_popover->setContent(m_dashboard);
    connect(m_dashboard, &MacDashboardView::settingsRequested, this, &AppDelegate::openSettings);
    connect(m_dashboard, &MacDashboardView::quitRequested, this, &AppDelegate::quit);
    connect(m_dashboard->resizeHandle(), &DashboardResizeHandle::dragStarted, this,
            [this] { m_resize.begin(m_popover->size()); });
    connect(m_dashboard->resizeHandle(), &DashboardResizeHandle::dragFinished, this,
            [this] { m_resize.end(); });
    printStartupMarkWhenAsked("dashboard-built");
}

void AppDelegate::buildContextMenu() {
    m_contextMenu->clear();
    m_openAction = m_contextMenu->addAction(translatedText("nimbra::AppDelegate", openTitle), this,
                                            &AppDelegate::openDashboardAsked);
    m_openSeparator = m_contextMenu->addSeparator();
    showOpenEntry(m_statusItem && m_statusItem->host() == StatusItem::Host::statusNotifier);
    m_contextMenu->addAction(translatedText("nimbra::AppDelegate", refreshTitle), refreshKey, this,
                             &AppDelegate::refreshNow);
    m_contextMenu->addAction(translatedText("nimbra::AppDelegate", settingsTitle), settingsKey, this,
                             &AppDelegate::openSettings);
    m_contextMenu->addAction(translatedText("nimbra::AppDelegate", updatesTitle), this,
                             &AppDelegate::checkForUpdates);
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(translatedText("nimbra::AppDelegate", quitTitle), quitKey, this,
                             &AppDelegate::quit);
}

void AppDelegate::showOpenEntry(bool shown) {
    if (!m_openAction)
        return;
    m_openAction->setVisible(shown);
    m_openSeparator->setVisible(shown);
}

void AppDelegate::addMenuKeys(QWidget* window, bool withSettings) {
    // The menu only shows its keys: they act where the user types, in our windows.
    const auto add = [this, window](const QKeySequence& key, void (AppDelegate::*slot)()) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(refreshKey, &AppDelegate::refreshNow);
    add(quitKey, &AppDelegate::quit);
    if (withSettings)
        add(settingsKey, &AppDelegate::openSettings);
}

void AppDelegate::createStatusItem() {
    if (!(m_environment.useDesktop || m_environment.useStatusItem) || m_statusItem)
        return;
    // The item follows tray hosts as they come and go by itself.
    m_statusItem = std::make_unique<StatusItem>(m_contextMenu.get());
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::statusItemClicked);
    connect(m_statusItem.get(), &StatusItem::hostChanged, this, [this](StatusItem::Host host) {
        showOpenEntry(host == StatusItem::Host::statusNotifier);
        trayAvailabilityChanged(host != StatusItem::Host::none);
    });
    showOpenEntry(m_statusItem->host() == StatusItem::Host::statusNotifier);
    m_trayAbsence.setAvailable(m_statusItem->isVisible(), TrayAbsence::At::start);
    if (!m_statusItem->isVisible())
        qCInfo(appLog()) << "No tray host: the dashboard opens as a window until one appears";
    if (m_launched)
        m_statusItem->paint(m_statusModel);
}

bool AppDelegate::hasTray() const {
    return m_statusItem && m_statusItem->isVisible();
}

void AppDelegate::trayAvailabilityChanged(bool available) {
    if (m_launched && m_environment.useDesktop)
        m_trayAbsence.setAvailable(available);
}

void AppDelegate::showInsteadOfTray() {
    if (!dashboardIsTheWayBack())
        return;
    const bool alreadyOpen = isPopoverShown() || m_firstOpening.isRunning();
    openDashboard();
    if (!alreadyOpen)
        m_trayAbsence.shownInstead(m_popover.get());
}

void AppDelegate::returnToTray() {
    if (!hasTray() || !(isPopoverShown() || m_firstOpening.isRunning()))
        return;
    qCInfo(appLog()) << "The tray host is back: the dashboard shown in its place goes back to it";
    m_firstOpening.cancel();
    m_popover->hide();
}

void AppDelegate::openDashboardAsked() {
    m_trayAbsence.askedFor();
    openDashboard();
}

bool AppDelegate::dashboardIsTheWayBack() const {
    return m_environment.useDesktop && !hasTray();
}

void AppDelegate::dashboardWindowClosed() {
    // As any windowed application: closing its one window ends it, rather than leaving it running unseen.
    if (dashboardIsTheWayBack())
        quit();
}

void AppDelegate::installObserversAndRefreshTimer() {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            QTimer::singleShot(refreshAfterShowingMs, this,
                               [this] { m_scheduler->trigger(RefreshTrigger::becameActive); });
    });
    if (m_environment.useDesktop) {
        m_systemEvents = new SystemEvents(this);
        m_wakeDelay = new WakeRefreshDelay(m_environment.wakeSettle, m_environment.wakeLimit, {}, this);
        // Read the network state only when there is a wake source to use it.
        if (m_systemEvents->isWatching())
            m_wakeDelay->setReachability(WakeRefreshDelay::systemReachability(m_wakeDelay));
        connect(m_systemEvents, &SystemEvents::woke, m_wakeDelay, &WakeRefreshDelay::woke);
        connect(m_wakeDelay, &WakeRefreshDelay::ready, this,
                [this] { m_scheduler->trigger(RefreshTrigger::wake); });
    }
    m_scheduler->startTimer();
}

void AppDelegate::observeStoreChanges() {
    // The title shows the selected place's forecast as the settings format it, and the timer follows the
    // interval setting: nothing else the store changes bears on either. Restarted by every such change, so
    // a burst gives one repaint after its last change.
    for (const auto signal : {&WeatherStore::settingsChanged, &WeatherStore::selectedForecastChanged})
        connect(m_store.get(), signal, &m_repaintDebounce, qOverload<>(&QTimer::start));
}

void AppDelegate::updateStatusItem() {
    m_statusModel = nimbra::statusItemModel(m_store->selectedForecast(), m_store->settings());
    if (m_statusItem)
        m_statusItem->paint(m_statusModel);
}

void AppDelegate::statusItemClicked(TrayClickFilter::Click click) {
    m_trayAbsence.askedFor();
    switch (TrayClickFilter::action(click, isPopoverShown(), m_popover->msSinceShown(),
                                    m_popover->msSinceHidden(), QApplication::doubleClickInterval())) {
    case TrayClickFilter::Action::open:
        openFromStatusItem();
        break;
    case TrayClickFilter::Action::close:
        closePopover();
        break;
    case TrayClickFilter::Action::ignore:
        break;
    }
}

bool AppDelegate::isPopoverShown() const {
    return m_popover && m_popover->isVisible();
}

void AppDelegate::togglePopover() {
    if (isPopoverShown())
        closePopover();
    else
        showPopover();
}

void AppDelegate::openFromStatusItem() {
    // A second click while the first opening is prepared changes nothing: the popover is on its way.
    if (m_firstOpening.isRunning() || isPopoverShown() || !m_popover)
        return;
    loadDashboard();
    if (!m_dashboard) {
        showPopover();
        return;
    }
    // As it will show, so that the steps lay it out as it will be seen.
    setPopoverMode();
    m_popover->resize(PopoverSizing::initialSize(*m_environment.defaults, availableGeometry()));
    if (!m_firstOpening.start(*m_popover, *m_dashboard, [this] { showPopover(); }))
        showPopover();
}

void AppDelegate::openDashboard() {
    if (isPopoverShown())
        showDashboard();
    else
        openFromStatusItem();
}

void AppDelegate::showDashboard() {
    if (isPopoverShown()) {
        // A minimised window still counts as shown: it is brought back first.
        m_popover->setWindowState(m_popover->windowState() & ~Qt::WindowMinimized);
        m_popover->show();
        m_popover->raise();
        m_popover->activateWindow();
        return;
    }
    showPopover();
}

void AppDelegate::anotherStartRequested(const QString& activationToken) {
    // Qt hands a Wayland compositor the token from the environment at the next activation.
    if (!activationToken.isEmpty() && isWayland())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    // A first opening is readied over several turns, as a tray click readies it; a shown one comes forward.
    openDashboardAsked();
    if (m_environment.useDesktop && m_launched)
        startWidgetHost();
}

void AppDelegate::showPopover() {
    m_firstOpening.cancel();
    if (!m_popover)
        return;
    loadDashboard();
    setPopoverMode();
    m_telemetry->sendIfEnabled(TelemetryEvent::popoverOpened);
    const std::optional<QRect> tray = m_statusItem ? m_statusItem->geometry() : std::nullopt;
    m_anchor = tray.value_or(QRect(QCursor::pos(), QSize(1, 1)));
    m_popover->setAnchor(tray);
    m_popover->resize(PopoverSizing::initialSize(*m_environment.defaults, availableGeometry()));
    if (m_popover->mode() == PopoverWindow::Mode::popup)
        placePopover();
    m_dashboard->prepareToShow();
    m_popover->show();
    m_popover->raise();
    m_popover->activateWindow();
    QTimer::singleShot(refreshAfterShowingMs, this,
                       [this] { m_scheduler->trigger(RefreshTrigger::popoverOpened); });
}

void AppDelegate::setPopoverMode() {
    // A popup needs a tray icon to hang from and a window system that lets us place it.
    const auto wanted =
        hasTray() && !isWaylandSession() ? PopoverWindow::Mode::popup : PopoverWindow::Mode::window;
    if (m_environment.useDesktop && m_popover->mode() != wanted)
        m_popover->setMode(wanted);
}

void AppDelegate::closePopover() {
    if (dashboardIsTheWayBack())
        return;
    m_firstOpening.cancel();
    if (m_popover)
        m_popover->hide();
}

std::optional<QRect> AppDelegate::availableGeometry() const {
    QScreen* screen = nullptr;
    if (m_popover && m_popover->isVisible())
        screen = m_popover->screen();
    if (!screen && m_anchor.isValid())
        screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt;
}

void AppDelegate::placePopover() {
    const QScreen* screen = QGuiApplication::screenAt(m_anchor.center());
    if (const auto area = availableGeometry())
        m_popover->move(PopoverSizing::placement(m_anchor, m_popover->size(), *area,
                                                 screen ? screen->geometry() : *area));
}

void AppDelegate::resizePopover(QSizeF delta) {
    if (!isPopoverShown())
        return;
    if (!m_resize.isActive())
        m_resize.begin(m_popover->size());
    const auto area = availableGeometry();
    const auto size = m_resize.apply(delta, area);
    if (!size)
        return;
    m_popover->resize(*size);
    // The popup stays hung from its icon and inside the screen as it grows.
    if (m_popover->mode() == PopoverWindow::Mode::popup)
        placePopover();
    PopoverSizing::saveSize(*m_environment.defaults, *size);
}

void AppDelegate::openSettings() {
    if (m_telemetry)
        m_telemetry->sendIfEnabled(TelemetryEvent::settingsOpened);
    if (!m_settingsWindow) {
        SettingsEnvironment environment;
        AboutEnvironment& about = environment.about;
        about.version = BuildInfo::version();
        about.build = BuildInfo::build();
        about.hasUpdateFeed = m_updaterController && m_updaterController->hasFeed();
        about.hasTelemetryEndpoint = m_telemetry && m_telemetry->hasEndpoint();
        about.websiteURL = BuildInfo::websiteURL();
        about.privacyURL = BuildInfo::privacyURL();
        about.telemetryEnabled = m_telemetry && m_telemetry->isEnabled();
        m_settingsWindow = std::make_unique<VantaSettingsRoot>(m_store.get(), std::move(environment));
        MacSettingsView* view = m_settingsWindow->content();
        connect(view, &MacSettingsView::checkForUpdatesRequested, this, &AppDelegate::checkForUpdates);
        connect(view, &MacSettingsView::telemetryEnabledChanged, this, [this](bool on) {
            if (m_telemetry)
                m_telemetry->setEnabled(on);
        });
        connect(view, &MacSettingsView::openURLRequested, this,
                [](const QUrl& url) { QDesktopServices::openUrl(url); });
        addMenuKeys(m_settingsWindow.get(), true);
        // Made in this turn, laid out and shown in timer turns of their own: together they held the thread
        // past a frame.
        m_settingsWindow->presentNextTurn();
    } else {
        m_settingsWindow->present();
    }
    Q_EMIT settingsRequested();
    // Closed even when it was not shown; nothing happens once the delegate is gone.
    QTimer::singleShot(settingsPopoverCloseDelayMs, this, &AppDelegate::closePopover);
}

void AppDelegate::refreshNow() {
    m_scheduler->trigger(RefreshTrigger::menuRefresh);
}

void AppDelegate::checkForUpdates() {
    if (!m_updaterController)
        return;
    // The answer stands over whatever the check was asked from.
    QWidget* parent = nullptr;
    if (isPopoverShown())
        parent = m_popover.get();
    else if (m_settingsWindow && m_settingsWindow->isVisible())
        parent = m_settingsWindow.get();
    m_updaterController->checkForUpdates(parent);
}

void AppDelegate::quit() {
    applicationWillTerminate();
    m_environment.quitApplication();
}

} // namespace nimbra
