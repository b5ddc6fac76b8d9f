#include "DashboardModel.h"

#include "WeatherFormatting.h"

namespace nimbra {

QList<DashboardSection> dashboardSections(bool hasForecast, const WeatherSettings& settings) {
    QList<DashboardSection> sections{DashboardSection::hero};
    if (!hasForecast)
        return sections;
    if (settings.showTwelveHourTrendGraph)
        sections.append(DashboardSection::trendGraph);
    if (settings.showHourlyForecastCards)
        sections.append(DashboardSection::hourlyStrip);
    sections.append(DashboardSection::dailyList);
    if (settings.showAlerts)
        sections.append(DashboardSection::alertList);
    return sections;
}

QString dashboardFooterText(const std::optional<ConsensusForecast>& forecast, const QDateTime& now,
                            const LocalCalendar& calendar) {
    return forecast ? WeatherFormatting::freshness(forecast->generatedAt, now, calendar)
                    : DashboardModel::notRefreshedText;
}

DashboardModel dashboardModelWithoutFooter(const DashboardInputs& inputs) {
    DashboardModel m;
    m.sections = dashboardSections(inputs.forecast.has_value(), inputs.settings);
    m.busy = inputs.isRefreshing || inputs.isResolvingCurrentLocation;
    if (inputs.lastError) {
        // One line: a multi-line message is joined, so the row never grows.
        const QString line = inputs.lastError->simplified();
        if (!line.isEmpty())
            m.warning = line;
    }
    return m;
}

DashboardModel dashboardModel(const DashboardInputs& inputs, const QDateTime& now,
                              const LocalCalendar& calendar) {
    DashboardModel m = dashboardModelWithoutFooter(inputs);
    m.footerText = dashboardFooterText(inputs.forecast, now, calendar);
    return m;
}

} // namespace nimbra
