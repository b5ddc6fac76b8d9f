#pragma once

#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "WeatherSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace nimbra {

// The popover dashboard's content, decided without widgets: which sections the scrolling column holds, what
// the header's refresh button shows, the footer's line and the warning row.
enum class DashboardSection { hero, trendGraph, hourlyStrip, dailyList, alertList };

struct DashboardModel {
    static inline const QString notRefreshedText = QStringLiteral("Not refreshed");

    QList<DashboardSection> sections;
    // The refresh button shows a spinner instead of its arrow.
    bool busy = false;
    QString footerText;
    // The last failure, one line; none when there is nothing to warn about.
    std::optional<QString> warning;

    bool operator==(const DashboardModel&) const = default;
};

struct DashboardInputs {
    std::optional<ConsensusForecast> forecast;
    WeatherSettings settings;
    bool isRefreshing = false;
    bool isResolvingCurrentLocation = false;
    std::optional<QString> lastError;
};

// The hero card always; with a forecast, the trend graph and the hourly strip when their settings are on,
// the ten-day list, and the alert list when alerts are on (also with no alerts: it then says so).
QList<DashboardSection> dashboardSections(bool hasForecast, const WeatherSettings& settings);
DashboardModel dashboardModel(const DashboardInputs& inputs, const QDateTime& now,
                              const LocalCalendar& calendar = LocalCalendar::system());

} // namespace nimbra
