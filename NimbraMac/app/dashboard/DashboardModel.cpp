#include "DashboardModel.h"

#include "Translations.h"
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
    // A forecast that holds no weather yet was made when the place was added or a refresh failed: "Updated
    // 5 sec. ago" would claim a fetch that never happened.
    return forecast && forecast->hasFetchedWeather()
               ? WeatherFormatting::freshness(forecast->generatedAt, now, calendar)
               : translatedText("nimbra::DashboardModel", DashboardModel::notRefreshedText);
}

DashboardModel dashboardModelWithoutFooter(const DashboardInputs& inputs) {
    DashboardModel m;
    m.sections = dashboardSections(inputs.forecast.has_value(), inputs.settings);
    m.busy = inputs.isRefreshing || inputs.isResolvingCurrentLocation;
    // One paragraph: the lines of a multi-line message are joined, and the row wraps the whole of it. The
    // notice comes first: it is told once and would otherwise hide behind the failures of the refreshes that
    // follow.
    const auto line = [](const std::optional<QString>& text) {
        const QString joined = text.value_or(QString()).simplified();
        return joined.isEmpty() ? std::nullopt : std::optional<QString>(joined);
    };
    m.warning = line(inputs.startupNotice);
    m.warningIsNotice = m.warning.has_value();
    if (!m.warning)
        m.warning = line(inputs.lastError);
    return m;
}

DashboardModel dashboardModel(const DashboardInputs& inputs, const QDateTime& now,
                              const LocalCalendar& calendar) {
    DashboardModel m = dashboardModelWithoutFooter(inputs);
    m.footerText = dashboardFooterText(inputs.forecast, now, calendar);
    return m;
}

} // namespace nimbra
