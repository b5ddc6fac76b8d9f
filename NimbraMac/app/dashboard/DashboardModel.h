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
    static inline const QString notRefreshedText =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::DashboardModel", "Not refreshed"));

    QList<DashboardSection> sections;
    // The refresh button shows a spinner instead of its arrow.
    bool busy = false;
    QString footerText;
    // The start-up notice, else the last failure, one paragraph; none when there is nothing to warn about.
    std::optional<QString> warning;
    // The warning is the start-up notice, which a click dismisses.
    bool warningIsNotice = false;

    bool operator==(const DashboardModel&) const = default;
};

struct DashboardInputs {
    std::optional<ConsensusForecast> forecast;
    WeatherSettings settings;
    bool isRefreshing = false;
    bool isResolvingCurrentLocation = false;
    std::optional<QString> lastError;
    std::optional<QString> startupNotice;
};

// The hero card always; with a forecast, the trend graph and the hourly strip when their settings are on,
// the ten-day list, and the alert list when alerts are on (also with no alerts: it then says so).
QList<DashboardSection> dashboardSections(bool hasForecast, const WeatherSettings& settings);
// How long ago the forecast was made ("Updated 5 min. ago"), or that nothing has been fetched yet (no
// forecast, or one that holds no weather).
QString dashboardFooterText(const std::optional<ConsensusForecast>& forecast, const QDateTime& now,
                            const LocalCalendar& calendar = LocalCalendar::system());
// Everything but the footer's text, which stays empty: a relative time is only worth working out for a
// dashboard on screen, as it goes stale while hidden.
DashboardModel dashboardModelWithoutFooter(const DashboardInputs& inputs);
DashboardModel dashboardModel(const DashboardInputs& inputs, const QDateTime& now,
                              const LocalCalendar& calendar = LocalCalendar::system());

} // namespace nimbra
