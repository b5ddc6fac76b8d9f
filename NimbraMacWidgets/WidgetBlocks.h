#pragma once

#include "LocalCalendar.h"
#include "ViewTokens.h"
#include "WeatherSettings.h"

#include "DailyForecast.h"
#include "WeatherSample.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

namespace nimbra {

// View models of the widgets' small blocks: texts, colours and the sizes the design fixes. The painters in
// WidgetBlockViews.h only map them to widgets.

// --- Metric rows ---

enum class WidgetMetricRowStyle { full, compact, rail };

struct WidgetMetricRowMetrics {
    double spacing = 0;
    double iconSize = 0;
    double iconFrame = 0;
    FontToken valueFont;
    double horizontalPadding = 0;
    double verticalPadding = 0;
    std::optional<ColorToken> capsuleFill;
    // Only the full style shows the upper-cased title after the value.
    bool showsTitle = false;
    bool operator==(const WidgetMetricRowMetrics&) const = default;
};
WidgetMetricRowMetrics widgetMetricRowMetrics(WidgetMetricRowStyle style);

// --- Rain chance and alerts ---

// Secondary below 0.25 (and for no value or not a number), blue from 0.25, cyan from 0.5.
ColorToken rainTint(std::optional<double> probability);
// The same thresholds with the ten-day cell's colours.
ColorToken cellRainTint(std::optional<double> probability);

struct RainPillModel {
    QString text;
    ColorToken tint;
    ColorToken fill;
    double width = 0;
    double verticalPadding = 0;
    double iconSize = 0;
    FontToken font;
    bool operator==(const RainPillModel&) const = default;
};
RainPillModel rainPillModel(std::optional<double> probability, bool compact);

struct AlertBadgeModel {
    QString text;
    double horizontalPadding = 0;
    double verticalPadding = 0;
    bool operator==(const AlertBadgeModel&) const = default;
};
// None for a count below 1: the badge then takes no space at all.
std::optional<AlertBadgeModel> alertBadgeModel(int count, bool compact);
inline constexpr ColorToken alertBadgeFill = ColorToken::srgb(0.48, 0.55, 0.64);

// --- Shared texts ---

// "Today" for a date in the current day of `now`, else the abbreviated weekday.
QString shortDayLabel(const QDateTime& date, const QDateTime& now, const LocalCalendar& calendar);
// The low without its degree sign, "/", the high: "12/20°".
QString dayPair(double lowC, double highC, TemperatureUnit unit);
// The hour without minutes or blanks: "3PM".
QString compactHourLabel(const QDateTime& date, const LocalCalendar& calendar);

// --- Hourly strip ---

struct HourMiniCell {
    QString hour;
    WeatherCondition condition = WeatherCondition::unknown;
    QString temperature;
    QString rain;
    bool operator==(const HourMiniCell&) const = default;
};

struct HourlyMiniStripModel {
    QList<HourMiniCell> cells; // identified by position
    bool expanded = false;
    double cellSpacing = 5;
    double rowSpacing = 4;
    double iconSize = 24;
    double verticalPadding = 6;
    double cornerRadius = 10;
    FontToken temperatureFont;
    bool operator==(const HourlyMiniStripModel&) const = default;
};
// Skips `startIndex` samples, then shows at most `limit`; negative counts count as 0.
HourlyMiniStripModel hourlyMiniStripModel(const QList<WeatherSample>& samples,
                                          const WeatherSettings& settings, int limit, int startIndex,
                                          bool expanded, const LocalCalendar& calendar);

// --- Days ---

struct DayCellModel {
    QString label;
    WeatherCondition condition = WeatherCondition::unknown;
    QString conditionTitle;
    QString pair;
    std::optional<double> probability;
    QString rain;
    ColorToken rainTint;
    bool operator==(const DayCellModel&) const = default;
};
inline constexpr qsizetype tenDayMaximumDays = 10;
// The first ten days (fewer when there are fewer), for both ten-day grids.
QList<DayCellModel> tenDayCells(const QList<DailyForecast>& days, const WeatherSettings& settings,
                                const QDateTime& now, const LocalCalendar& calendar);

struct DailyMiniRowModel {
    QString label;
    WeatherCondition condition = WeatherCondition::unknown;
    QString lowHigh; // "12° / 20°"
    QString rain;
    bool showsDivider = false; // below every row but the last
    bool operator==(const DailyMiniRowModel&) const = default;
};
inline QStringList dailyMiniHeader() {
    return {QCoreApplication::translate("WidgetBlocks", "DAY"),
            QCoreApplication::translate("WidgetBlocks", "LOW / HIGH"),
            QCoreApplication::translate("WidgetBlocks", "RAIN")};
}
QList<DailyMiniRowModel> dailyMiniRows(const QList<DailyForecast>& days, const WeatherSettings& settings,
                                       int limit, const QDateTime& now, const LocalCalendar& calendar);

} // namespace nimbra
