#pragma once

#include "Clock.h"
#include "FirstOpening.h"
#include "LocalCalendar.h"
#include "PopoverSizing.h"
#include "RefreshScheduler.h"
#include "StatusItemModel.h"
#include "TrayAbsence.h"
#include "TrayClickFilter.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QMenu;

namespace nimbra {

class MacDashboardView;
class PopoverWindow;
class StatusItem;
class SnapshotReadAhead;
class SystemEvents;
class UpdaterController;
class UserDefaults;
class VantaSettingsRoot;
class VantaTelemetry;
class WakeRefreshDelay;
class WeatherStore;

// What the application leaves at its defaults and tests replace.
struct AppEnvironment {
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<const Clock> clock = Clock::system();
    std::function<std::unique_ptr<RepeatingTimer>()> makeTimer = [] {
        return std::make_unique<QtRepeatingTimer>();
    };
    LocalCalendar calendar = LocalCalendar::system();
    // The usage telemetry; by default over the standard user defaults and the build's endpoint.
    std::function<VantaTelemetry*(QObject* parent)> makeTelemetry;
    // Off in tests: no tray icon, no system bus, no polling for a tray host.
    bool useDesktop = true;
    // Ends the event loop; tests replace it.
    std::function<void()> quitApplication = [] { QCoreApplication::quit(); };
    // The status item even with the desktop off, for tests on a private session bus.
    bool useStatusItem = false;
    // How long a wake-up waits for the network before its refresh.
    std::chrono::milliseconds wakeSettle{3000};
    std::chrono::milliseconds wakeLimit{20'000};
    // How long a tray that went away may take to come back before the dashboard shows in its place.
    std::chrono::milliseconds trayReturnGrace = TrayAbsence::defaultGrace;
};

// The application's owner: creates the store's surroundings, the status item, the popover with the dashboard,
// the context menu and the refresh triggers, and wires them together. It decides nothing a logic class can.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // First in the menu where the tray item is a D-Bus one: GNOME's AppIndicator extension shows the menu on
    // a left click and activates the item only on a double click, so the dashboard needs a way in from the
    // menu.
    static inline const QString openTitle =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::AppDelegate", "Open Nimbra"));
    static inline const QString refreshTitle =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::AppDelegate", "Refresh"));
    static inline const QString settingsTitle =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::AppDelegate", "Settings..."));
    static inline const QString updatesTitle =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::AppDelegate", "Check for Updates..."));
    static inline const QString quitTitle = QStringLiteral(QT_TRANSLATE_NOOP("nimbra::AppDelegate", "Quit"));
    // The menu's keys, which also work in the dashboard and the settings window.
    static inline const QKeySequence refreshKey{Qt::CTRL | Qt::Key_R};
    static inline const QKeySequence settingsKey{Qt::CTRL | Qt::Key_Comma};
    static inline const QKeySequence quitKey{Qt::CTRL | Qt::Key_Q};
    // The status item repaints once a burst of changes of the settings or the selected forecast has been
    // quiet this long.
    static constexpr int repaintDebounceMs = 80;

    // The store as the application runs it: the snapshot file, the synced mirror, the device's location
    // service and the keyring. NIMBRA_PROVIDER_BASE_URL, when set, sends every provider request there, and
    // the naming of the current location (for checks that must not reach a real service). The snapshot
    // file is `launchReading`'s when given.
    static std::unique_ptr<WeatherStore>
    makeDefaultStore(std::shared_ptr<SnapshotReadAhead> launchReading = {});

    explicit AppDelegate(std::unique_ptr<WeatherStore> store, AppEnvironment environment = {},
                         QObject* parent = nullptr);
    ~AppDelegate() override;

    // The start-up sequence: everything is created and wired, then the first refresh starts.
    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    WeatherStore& store() const { return *m_store; }
    RefreshScheduler& scheduler() const { return *m_scheduler; }
    PopoverWindow* popover() const { return m_popover.get(); }
    // Built in the event loop's turn after the launch refresh starts, or when first shown.
    MacDashboardView* dashboard() const { return m_dashboard; }
    QMenu* contextMenu() const { return m_contextMenu.get(); }
    StatusItem* statusItem() const { return m_statusItem.get(); }
    const StatusItemModel& statusItemModel() const { return m_statusModel; }
    VantaTelemetry* telemetry() const { return m_telemetry; }
    UpdaterController* updaterController() const { return m_updaterController; }
    // Made on the first opening and kept for the rest of the session.
    VantaSettingsRoot* settingsWindow() const { return m_settingsWindow.get(); }
    // The popover closes this long after the settings were asked for from it.
    static constexpr int settingsPopoverCloseDelayMs = 120;
    bool isPopoverShown() const;

public Q_SLOTS:
    // The one way to the settings: the menu's "Settings...", Ctrl+, in the popover and the dashboard's gear.
    // Shows the one settings window (made on first use), un-minimised, raised and focused.
    void openSettings();
    void refreshNow();
    void checkForUpdates();
    void quit();
    // Shows the dashboard at once wherever it can be seen, or brings it forward when it shows (the dashboard
    // kept above the widget board). A first opening from the user goes through openDashboard().
    void showDashboard();
    // Another start of the application: its dashboard comes forward (with the focus token that start was
    // given) and the widget host starts again unless one runs.
    void anotherStartRequested(const QString& activationToken);
    void togglePopover();
    // The menu's "Open Nimbra" and a second start: the dashboard opens as from a click on the icon, or comes
    // forward when it is open.
    void openDashboard();
    // A click on the tray icon that opens the popover. The first opening is prepared over a few event-loop
    // turns (fonts, layout, symbols) and shows after them: done at once it would hold the application for
    // several frames. Later ones show at once.
    void openFromStatusItem();
    // Hides the dashboard, unless it is the only way back to the application (no tray host).
    void closePopover();
    void updateStatusItem();
    // Whoever watches the tray host says here when one comes or goes. Without one the dashboard is the only
    // way back: it shows as a window (once the tray has stayed away a moment), stays open when the settings
    // open, and closing it quits. When the tray returns, a window shown in its place that the user has not
    // used goes back to it.
    void trayAvailabilityChanged(bool available);

Q_SIGNALS:
    void settingsRequested();

private:
    void configurePopover();
    // Builds the dashboard in the popover once.
    void loadDashboard();
    void buildContextMenu();
    // The menu's way to the dashboard shows only on the D-Bus tray, where a left click may open the menu.
    void showOpenEntry(bool shown);
    // Ctrl+R and Ctrl+Q in a window of ours (Ctrl+, too where `withSettings`).
    void addMenuKeys(QWidget* window, bool withSettings);
    void createStatusItem();
    void installObserversAndRefreshTimer();
    void observeStoreChanges();
    void statusItemClicked(TrayClickFilter::Click click);
    void showPopover();
    void setPopoverMode();
    void placePopover();
    std::optional<QRect> availableGeometry() const;
    void resizePopover(QSizeF delta);
    bool dashboardIsTheWayBack() const;
    void dashboardWindowClosed();
    // Some tray shows the status item.
    bool hasTray() const;
    void startWidgetHost();
    void keepDashboardAboveTheBoard();
    // The dashboard in the place of a tray that stayed away, and back to the tray when it returns.
    void showInsteadOfTray();
    void returnToTray();
    // The user asked for the dashboard: it stays open whatever the tray does.
    void openDashboardAsked();

    std::unique_ptr<WeatherStore> m_store;
    AppEnvironment m_environment;
    std::unique_ptr<StoreRefreshTarget> m_refreshTarget;
    std::unique_ptr<RefreshScheduler> m_scheduler;
    std::unique_ptr<QMenu> m_contextMenu;
    QAction* m_openAction = nullptr;
    QAction* m_openSeparator = nullptr;
    std::unique_ptr<PopoverWindow> m_popover;
    MacDashboardView* m_dashboard = nullptr;
    VantaTelemetry* m_telemetry = nullptr;
    UpdaterController* m_updaterController = nullptr;
    std::unique_ptr<StatusItem> m_statusItem;
    StatusItemModel m_statusModel;
    SystemEvents* m_systemEvents = nullptr;
    WakeRefreshDelay* m_wakeDelay = nullptr;
    QTimer m_repaintDebounce;
    PopoverResize m_resize;
    FirstOpening m_firstOpening;
    // Where the popover was opened from, for placing it again as it grows.
    QRect m_anchor;
    bool m_launched = false;
    // Whether a tray host shows our icon, and the dashboard that stands in while none does.
    TrayAbsence m_trayAbsence;
    // Last: it reads the store while it goes, saving a key typed just before the end.
    std::unique_ptr<VantaSettingsRoot> m_settingsWindow;
};

} // namespace nimbra
