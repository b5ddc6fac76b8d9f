#pragma once

#include "SnapshotFeed.h"
#include "TimelineRunner.h"
#include "WeatherCache.h"
#include "WidgetPlacements.h"
#include "WidgetReloadListener.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <memory>

namespace nimbra {

class WidgetBoard;
class WidgetWindow;

// Whether the widgets go into one board window: when asked, and on Wayland (any of its platform plugins),
// where a client can neither place its windows nor keep them below the others.
bool widgetsNeedBoard(bool asked, const QString& platformName);

struct WidgetHostOptions {
    QString snapshotFile = WeatherCache::defaultFilePath();
    QString placementsFile = WidgetPlacements::defaultFilePath();
    // All widgets in one window instead of one window each.
    bool board = false;
    std::shared_ptr<const Clock> clock = Clock::system();
};

// The widget host: the snapshot read once per reload for all widgets, one timeline runner per widget kind,
// one window per placed widget (or the board), the placements kept in their file, and reloads from the
// application. Reachable on the session bus under busName(), which also keeps a second host of the same
// session from starting.
class WidgetHost : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", NIMBRA_APP_IDENTIFIER ".Widgets")
public:
    static QString busName();
    static inline const QString objectPath = QStringLiteral("/Widgets");
    // The name the host program gives itself. On X11 Qt makes it the class of the windows' WM_CLASS, which
    // the host's desktop entry names as StartupWMClass.
    static inline const QString applicationName = QStringLiteral("nimbra-widgets");

    explicit WidgetHost(WidgetHostOptions options = {}, QObject* parent = nullptr);
    ~WidgetHost() override;

    // Reads the placements and the timelines, shows the widgets and starts listening for reloads.
    void start();

    const QList<WidgetPlacement>& placements() const { return m_placements; }
    const TimelineRunner* runner(const QString& kind) const;
    QList<WidgetWindow*> windows() const;
    WidgetBoard* board() const;

public Q_SLOTS:
    // What starting a second host asks of the running one: show the widgets, placing the first one when the
    // desktop holds none, so the user always has a widget to right-click.
    Q_SCRIPTABLE void ShowWidgets();
    void addWidget(const QString& kind, WidgetFamily family);
    void openGallery();

private:
    void place(const WidgetPlacement& placement);
    qsizetype indexOf(const WidgetWindow* window) const;
    void keepClear(qsizetype index);
    void save();
    void reload(const QStringList& kinds);
    QPoint firstPosition() const;
    QPoint freePosition() const;

    WidgetHostOptions m_options;
    WidgetPlacements m_store;
    // Before the provider and the runners, which read from it.
    SnapshotFeed m_feed;
    std::shared_ptr<WeatherWidgetProvider> m_provider;
    std::map<QString, std::unique_ptr<TimelineRunner>> m_runners;
    WidgetReloadListener m_listener;
    // Side by side: the window of each placement.
    QList<WidgetPlacement> m_placements;
    QList<QPointer<WidgetWindow>> m_windows;
    QPointer<WidgetBoard> m_board;
};

} // namespace nimbra
