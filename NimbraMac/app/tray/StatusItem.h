#pragma once

#include "StatusItemModel.h"
#include "StatusNotifierHosts.h"
#include "TrayClickFilter.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;

namespace nimbra {

class StatusNotifierItem;

// The application's face in the panel, on whichever tray the session has: our own D-Bus tray item while a
// StatusNotifierWatcher is on the session bus (registered again whenever its owner changes, as when a panel
// starts late or restarts), else an XEmbed tray icon, else nothing until one of the two appears. Only one of
// them shows at a time. The D-Bus item counts as shown only while a panel draws the watcher's items: some
// watchers outlive their panel. The condition and temperature are drawn in the icon; the title is the D-Bus
// item's text label and the tooltip's first line.
class StatusItem : public QObject {
    Q_OBJECT
public:
    enum class Host { none, statusNotifier, xembed };
    // How often to look for an XEmbed tray, or whether the one showing the icon is still there; a watcher
    // announces itself.
    static constexpr int xembedPollMs = 3000;

    explicit StatusItem(QMenu* contextMenu, QObject* parent = nullptr);
    StatusItem(QMenu* contextMenu, QDBusConnection bus, QObject* parent = nullptr);
    ~StatusItem() override;

    void paint(const StatusItemModel& model);
    const StatusItemModel& model() const { return m_model; }
    Host host() const { return m_host; }
    // Where the icon is on screen: the XEmbed icon's place, or the point of the D-Bus click that opened us,
    // when the tray says.
    std::optional<QRect> geometry() const;
    // Some tray shows the item.
    bool isVisible() const { return m_host != Host::none; }
    // The XEmbed icon's picture, painted for each size only when the tray asks for it.
    QIcon icon() const { return m_picture; }
    StatusNotifierItem* statusNotifier() const { return m_statusNotifier.get(); }

private Q_SLOTS:
    // The watcher's word that hosts came or went.
    void watcherHostsChanged();

Q_SIGNALS:
    void clicked(TrayClickFilter::Click click);
    void hostChanged(Host host);

private:
    // Picks the tray for what is on the session now.
    void chooseHost();
    // The poll: a tray where there is none, or whether the XEmbed one still stands.
    void lookForTray();
    void watcherOwnerChanged(const QString& newOwner);
    // What is known of a new watcher (or none): the bus's host names, whether it outlives its panel.
    void takeWatcher(const QString& owner);
    QString watcherOwner() const;
    bool ownerOutlivesPanel(const QString& owner) const;
    int hostNamesOnBus() const;
    // Asks the watcher whether a host is registered; the answer comes back later.
    void readHostRegistered();
    void hostNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void registerStatusNotifier();
    void useXEmbed();
    void setHost(Host host);

    QMenu* m_contextMenu;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    // The org.kde names, among them the panels' host names.
    QDBusServiceWatcher m_hostNameWatcher;
    QString m_watcherOwner;
    StatusNotifierHosts m_hosts;
    QTimer m_xembedPoll;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<StatusNotifierItem> m_statusNotifier;
    Host m_host = Host::none;
    StatusItemModel m_model;
    QIcon m_picture;
    bool m_painted = false;
    std::optional<QPoint> m_activatedAt;
};

} // namespace nimbra
