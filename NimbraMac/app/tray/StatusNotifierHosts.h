#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace nimbra {

// Whether a panel draws the items a StatusNotifierWatcher holds. Where the watcher is the panel itself
// (GNOME Shell's extension, xfce4-panel, lxqt-panel, waybar) the two come and go together, but some desktops
// run the watcher in a process of its own that outlives the panel: Cinnamon's xapp-sn-watcher says so in
// IsStatusNotifierHostRegistered, KDE's kded says true whatever happens, and there only the panel's own
// `org.kde.StatusNotifierHost-<pid>` name on the bus tells.
struct StatusNotifierHosts {
    bool watcherOnBus = false;
    // The watcher's IsStatusNotifierHostRegistered, once read.
    std::optional<bool> hostRegistered;
    // A watcher known to keep running, and to say a host is registered, after its panel has ended.
    bool watcherOutlivesPanel = false;
    // A host name was on the bus at some time while this watcher ran: from then on it is the panel's sign.
    bool hostNameSeen = false;
    int hostNames = 0;

    bool operator==(const StatusNotifierHosts&) const = default;

    // Some panel shows the watcher's items now.
    bool itemsDrawn() const;
    // A new watcher: nothing known of it yet but what the bus lists.
    void watcherChanged(bool onBus, bool outlivesPanel, int hostNamesNow);
    void hostNamesChanged(int hostNamesNow);

    static bool isHostName(const QString& busName);
    static int countHostNames(const QStringList& busNames);
    // Processes whose watcher stays, saying a host is registered, when the panel has gone (KDE's kded).
    static bool outlivesPanel(const QString& processName);
};

} // namespace nimbra
