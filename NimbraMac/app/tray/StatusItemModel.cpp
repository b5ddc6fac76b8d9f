#include "StatusItemModel.h"

#include "WeatherFormatting.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

QString statusItemLabelGuide(const WeatherSettings& settings) {
    // Eights are the widest digits; the temperatures are the widest the unit commonly reaches.
    QStringList parts{settings.temperatureUnit == TemperatureUnit::fahrenheit ? QStringLiteral("-188°")
                                                                              : QStringLiteral("-88°")};
    if (settings.showConditionInMenuBar) {
        QString longest;
        for (const WeatherCondition condition : conditions::allCases()) {
            const QString title = conditions::title(condition);
            if (title.size() > longest.size())
                longest = title;
        }
        parts.append(longest);
    }
    if (settings.showConfidenceInMenuBar)
        parts.append(QStringLiteral("100%"));
    const QString widest = parts.join(QLatin1Char(' '));
    const QString noForecast = WeatherFormatting::compactMenuTitle(std::nullopt, settings);
    return widest.size() >= noForecast.size() ? widest : noForecast;
}

StatusItemModel statusItemModel(const std::optional<ConsensusForecast>& forecast,
                                const WeatherSettings& settings) {
    StatusItemModel m;
    m.title = WeatherFormatting::compactMenuTitle(forecast, settings);
    m.labelGuide = statusItemLabelGuide(settings);
    m.fontSize = std::clamp(settings.menuBarFontSize, StatusItemModel::minimumFontSize,
                            StatusItemModel::maximumFontSize);
    m.iconSize = std::clamp(settings.menuBarIconSize, StatusItemModel::minimumIconSize,
                            StatusItemModel::maximumIconSize);
    // A stored size that is not a number clamps to itself; take the lower bound instead.
    if (!std::isfinite(m.fontSize))
        m.fontSize = StatusItemModel::minimumFontSize;
    if (!std::isfinite(m.iconSize))
        m.iconSize = StatusItemModel::minimumIconSize;
    const bool hasCurrent = forecast && forecast->current;
    m.symbolName = hasCurrent ? conditions::symbolName(forecast->current->condition)
                              : StatusItemModel::fallbackSymbolName;
    m.condition = hasCurrent ? forecast->current->condition : WeatherCondition::partlyCloudy;
    m.iconText =
        hasCurrent ? WeatherFormatting::temperature(forecast->current->temperatureC, settings.temperatureUnit)
                   : QStringLiteral("--°");
    if (!forecast) {
        m.tooltip = StatusItemModel::noForecastTooltip;
    } else {
        const QString summary = forecast->nextPrecipitationSummary.trimmed();
        m.tooltip = summary.isEmpty() ? m.title : m.title + QLatin1Char('\n') + summary;
    }
    return m;
}

double statusItemLength(double iconSize, bool hasImage, double titleWidth) {
    const double minimum = std::max(iconSize + 18, 34.0);
    const double imageWidth = hasImage ? iconSize + 4 : 8;
    const double wanted = std::ceil(imageWidth + titleWidth);
    return std::min(std::max(minimum, wanted), StatusItemModel::maximumLength);
}

} // namespace nimbra
