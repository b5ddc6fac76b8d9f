#include "StatusNotifierHosts.h"

#include <algorithm>

namespace nimbra {

bool StatusNotifierHosts::itemsDrawn() const {
    if (!watcherOnBus || !hostRegistered.value_or(true))
        return false;
    // Until a host name has been seen, a watcher that is part of its panel is taken at its word.
    const bool hostNameCounts = watcherOutlivesPanel || hostNameSeen;
    return !hostNameCounts || hostNames > 0;
}

void StatusNotifierHosts::watcherChanged(bool onBus, bool outlivesPanel, int hostNamesNow) {
    *this = StatusNotifierHosts{};
    watcherOnBus = onBus;
    watcherOutlivesPanel = outlivesPanel;
    hostNamesChanged(hostNamesNow);
}

void StatusNotifierHosts::hostNamesChanged(int hostNamesNow) {
    hostNames = std::max(hostNamesNow, 0);
    hostNameSeen = hostNameSeen || hostNames > 0;
}

bool StatusNotifierHosts::isHostName(const QString& busName) {
    return busName.startsWith(QLatin1String("org.kde.StatusNotifierHost-"));
}

int StatusNotifierHosts::countHostNames(const QStringList& busNames) {
    return int(std::count_if(busNames.begin(), busNames.end(), &StatusNotifierHosts::isHostName));
}

bool StatusNotifierHosts::outlivesPanel(const QString& processName) {
    return processName == QLatin1String("kded5") || processName == QLatin1String("kded6");
}

} // namespace nimbra
