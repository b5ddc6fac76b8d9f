#include "AppDelegate.h"

#include "AppLog.h"
#include "BuildInfo.h"
#include "DashboardResizeHandle.h"
#include "DeviceCurrentLocationService.h"
#include "FirstTurnMark.h"
#include "Keychain.h"
#include "MacDashboardView.h"
#include "PopoverWindow.h"
#include "StatusItem.h"
#include "SystemEvents.h"
#include "UbiquitousKeyValueStore.h"
#include "UpdaterController.h"
#include "UserDefaults.h"
#include "VantaSettingsRoot.h"
#include "VantaTelemetry.h"
#include "WeatherStore.h"
#include "WidgetHostLauncher.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

namespace nimbra {
namespace {

bool isWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// How often to look for a tray host while there is none.
constexpr int trayHostPollMs = 3000;

} // namespace

std::unique_ptr<WeatherStore> AppDelegate::makeDefaultStore() {
    auto session = std::make_shared<HTTPSession>();
    WeatherStoreEnvironment environment;
    environment.providers.session = session;
    const QString baseURL = qEnvironmentVariable("NIMBRA_PROVIDER_BASE_URL");
    if (!baseURL.isEmpty()) {
        for (const auto kind : providers::allCases())
            environment.providers.baseURLs.insert(kind, QUrl(baseURL));
    }
    auto cache = std::make_shared<WeatherCache>();
    auto syncStore = std::make_shared<LocationSyncStore>(UbiquitousKeyValueStore::makeDefault());
    auto location = DeviceCurrentLocationService::makeDefault(session);
    auto credentials =
        std::make_shared<WeatherProviderCredentialStore>(UserDefaults::standard(), Keychain::secretService());
    return std::make_unique<WeatherStore>(std::move(cache), std::move(syncStore), std::move(location),
                                          std::move(credentials), std::move(environment));
}

AppDelegate::AppDelegate(std::unique_ptr<WeatherStore> store, AppEnvironment environment, QObject* parent)
    : QObject(parent), m_store(std::move(store)), m_environment(std::move(environment)),
      m_contextMenu(std::make_unique<QMenu>()) {
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
    m_trayHostWatch.setInterval(trayHostPollMs);
    connect(&m_trayHostWatch, &QTimer::timeout, this, &AppDelegate::watchForTrayHost);
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
            if (m_environment.useDesktop)
                startWidgetHost();
        });
    });
    // Never invisible: without a tray to open it from, the dashboard shows as a window.
    if (m_environment.useDesktop && !m_statusItem)
        showDashboard();
}

void AppDelegate::startWidgetHost() {
    // The widgets belong to the application on the desktop: their host starts with it unless one runs
    // already.
    using Outcome = WidgetHostLauncher::Outcome;
    switch (
        WidgetHostLauncher::startIfNotRunning(QCoreApplication::applicationDirPath(),
                                              WidgetHostLauncher::hostOnBus(QDBusConnection::sessionBus()))) {
    case Outcome::started:
    case Outcome::alreadyRunning:
        break;
    case Outcome::notFound:
        qCWarning(appLog()) << "The widget host" << WidgetHostLauncher::programName
                            << "is not installed; the desktop widgets stay off";
        break;
    case Outcome::failed:
        qCWarning(appLog()) << "The widget host" << WidgetHostLauncher::programName << "could not be started";
        break;
    }
}

void AppDelegate::applicationWillTerminate() {
    m_scheduler->shutDown();
    m_trayHostWatch.stop();
    m_repaintDebounce.stop();
    // Saves are written on a thread of their own: the last state reaches the disk before the process ends.
    m_store->flushSaves();
}

void AppDelegate::configurePopover() {
    m_popover = std::make_unique<PopoverWindow>(PopoverWindow::Mode::popup);
    m_popover->setMinimumSize(PopoverSizing::minimumWidth, PopoverSizing::minimumHeight);
    m_popover->resize(PopoverSizing::initialSize(*m_environment.defaults, availableGeometry()));
    connect(m_popover.get(), &PopoverWindow::settingsShortcut, this, &AppDelegate::openSettings);
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
    m_contextMenu->addAction(refreshTitle, QKeySequence(Qt::CTRL | Qt::Key_R), this,
                             &AppDelegate::refreshNow);
    m_contextMenu->addAction(settingsTitle, QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                             &AppDelegate::openSettings);
    m_contextMenu->addAction(updatesTitle, this, &AppDelegate::checkForUpdates);
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(quitTitle, QKeySequence(Qt::CTRL | Qt::Key_Q), this, &AppDelegate::quit);
}

void AppDelegate::createStatusItem() {
    if (!m_environment.useDesktop || m_statusItem)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        qCInfo(appLog()) << "No tray host: the dashboard opens as a window until one appears";
        m_trayHostWatch.start();
        return;
    }
    m_trayHostWatch.stop();
    m_statusItem = std::make_unique<StatusItem>(m_contextMenu.get());
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::statusItemClicked);
    if (m_launched)
        m_statusItem->paint(m_statusModel);
}

void AppDelegate::watchForTrayHost() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    qCInfo(appLog()) << "A tray host appeared";
    createStatusItem();
    updateStatusItem();
}

void AppDelegate::installObserversAndRefreshTimer() {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            m_scheduler->trigger(RefreshTrigger::becameActive);
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
    // Restarted by every change, so a burst gives one repaint after its last change.
    connect(m_store.get(), &WeatherStore::objectWillChange, &m_repaintDebounce, qOverload<>(&QTimer::start));
}

void AppDelegate::updateStatusItem() {
    m_statusModel = nimbra::statusItemModel(m_store->selectedForecast(), m_store->settings());
    if (m_statusItem)
        m_statusItem->paint(m_statusModel);
}

void AppDelegate::statusItemClicked(TrayClickFilter::Click click) {
    switch (TrayClickFilter::action(click, isPopoverShown(), m_popover->msSinceShown(),
                                    m_popover->msSinceHidden(), QApplication::doubleClickInterval())) {
    case TrayClickFilter::Action::open:
        showPopover();
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

void AppDelegate::showDashboard() {
    if (isPopoverShown()) {
        m_popover->raise();
        m_popover->activateWindow();
        return;
    }
    showPopover();
}

void AppDelegate::showPopover() {
    if (!m_popover)
        return;
    loadDashboard();
    // A popup needs a tray icon to hang from and a window system that lets us place it.
    const auto wanted =
        m_statusItem && !isWayland() ? PopoverWindow::Mode::popup : PopoverWindow::Mode::window;
    if (m_environment.useDesktop && m_popover->mode() != wanted)
        m_popover->setMode(wanted);
    m_telemetry->sendIfEnabled(TelemetryEvent::popoverOpened);
    const std::optional<QRect> tray = m_statusItem ? m_statusItem->geometry() : std::nullopt;
    m_anchor = tray.value_or(QRect(QCursor::pos(), QSize(1, 1)));
    m_popover->setAnchor(tray);
    m_popover->resize(PopoverSizing::initialSize(*m_environment.defaults, availableGeometry()));
    if (m_popover->mode() == PopoverWindow::Mode::popup)
        placePopover();
    m_popover->show();
    m_popover->raise();
    m_popover->activateWindow();
    m_scheduler->trigger(RefreshTrigger::popoverOpened);
}

void AppDelegate::closePopover() {
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
    if (const auto area = availableGeometry())
        m_popover->move(PopoverSizing::placement(m_anchor, m_popover->size(), *area));
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
        const QPointer<AppDelegate> self(this);
        about.checkForUpdates = [self] {
            if (self)
                self->checkForUpdates();
        };
        about.isTelemetryEnabled = [self] {
            return self && self->m_telemetry && self->m_telemetry->isEnabled();
        };
        about.setTelemetryEnabled = [self](bool on) {
            if (self && self->m_telemetry)
                self->m_telemetry->setEnabled(on);
        };
        about.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
        m_settingsWindow = std::make_unique<VantaSettingsRoot>(m_store.get(), std::move(environment));
    }
    m_settingsWindow->present();
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
    QCoreApplication::quit();
}

} // namespace nimbra
