#pragma once

#include "ConsensusForecast.h"
#include "WeatherSettings.h"

#include <QString>

#include <optional>

namespace nimbra {

// What the status item shows for the selected forecast. Only some panels show a text label beside a tray
// icon, so the shell also draws `iconText` into the icon beside the condition glyph and puts the whole title
// in the tooltip.
struct StatusItemModel {
    static inline const QString fallbackSymbolName = QStringLiteral("cloud.sun");
    static inline const QString noForecastTooltip = QStringLiteral("Nimbra");
    static constexpr double minimumFontSize = 10;
    static constexpr double maximumFontSize = 16;
    static constexpr double minimumIconSize = 12;
    static constexpr double maximumIconSize = 22;
    static constexpr double maximumLength = 180;

    QString title;
    // The widest title these settings can give, for panels that keep room for the text label.
    QString labelGuide;
    // The condition drawn in the icon; partly cloudy (the fallback symbol's picture) without current weather.
    WeatherCondition condition = WeatherCondition::partlyCloudy;
    QString symbolName;
    // The temperature alone, "--°" without current weather.
    QString iconText;
    QString tooltip;
    double fontSize = 12;
    double iconSize = 16;

    bool operator==(const StatusItemModel&) const = default;
};

QString statusItemLabelGuide(const WeatherSettings& settings);

StatusItemModel statusItemModel(const std::optional<ConsensusForecast>& forecast,
                                const WeatherSettings& settings);

// The item's width in points for a title of the given width: room for the icon and the title, at least a
// comfortable click target, at most maximumLength.
double statusItemLength(double iconSize, bool hasImage, double titleWidth);

} // namespace nimbra
