#pragma once

#include "LocalCalendar.h"
#include "RawValueEnum.h"
#include "ViewTokens.h"
#include "WeatherSample.h"
#include "WeatherSettings.h"

#include <QCoreApplication>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <optional>

namespace nimbra {

// The quantity the trend graph plots; the order of the cases is the order of the chips.
enum class TrendMetric { temperature, feelsLike, wind, precipitation, humidity };

template <> struct EnumNames<TrendMetric> {
    static constexpr const char* typeName = "TrendMetric";
    static constexpr std::array<const char*, 5> rawValues = {"temperature", "feelsLike", "wind",
                                                             "precipitation", "humidity"};
};

namespace trendMetrics {
QList<TrendMetric> allCases();
QString title(TrendMetric metric);
QString symbolName(TrendMetric metric);
ColorToken tint(TrendMetric metric);
} // namespace trendMetrics

struct TrendPoint {
    QDateTime date;
    double value = 0; // in the unit shown
    QString displayValue;
    bool operator==(const TrendPoint&) const = default;
};

struct TrendScale {
    double lower = 0;
    double upper = 1;
    bool operator==(const TrendScale&) const = default;
};

// At most the first twelve samples are plotted.
QList<WeatherSample> trendSamples(const QList<WeatherSample>& hourly);
// The sample's value of the metric in the settings' units; none when the sample lacks it or it is not a
// finite number (such a point could not be placed on the plot).
std::optional<TrendPoint> trendPoint(const WeatherSample& sample, TrendMetric metric,
                                     const WeatherSettings& settings);
QList<TrendPoint> trendPoints(const QList<WeatherSample>& hourly, TrendMetric metric,
                              const WeatherSettings& settings);
// The rain chance of every sample that has one, in percent clamped to 0...100 (its label keeps the real
// value).
QList<TrendPoint> rainPoints(const QList<WeatherSample>& hourly);
// The value as a whole number with the metric's unit ("--" and the unit when it has no whole number).
QString trendValueLabel(double value, TrendMetric metric, const WeatherSettings& settings);
QString trendRangeText(const QList<TrendPoint>& points, TrendMetric metric, const WeatherSettings& settings);
TrendScale trendScaleRange(const QList<TrendPoint>& points);
double trendLeadingPlotInset(TrendMetric metric);
// The hours of the first, the sixth (or last of fewer) and the last sample, written like "3PM".
std::array<QString, 3> trendHourLabels(const QList<WeatherSample>& hourly, const LocalCalendar& calendar);

struct TrendChip {
    TrendMetric metric = TrendMetric::temperature;
    QString title;
    QString symbol;
    ColorToken tint;
    bool selected = false;
    ColorToken fill;
    ColorToken foreground;
    bool operator==(const TrendChip&) const = default;
};

struct TrendViewModel {
    QString sectionTitle = QCoreApplication::translate("TrendGraphViewModel", "12-Hour Trend");
    TrendMetric metric = TrendMetric::temperature;
    ColorToken tint;
    QList<TrendPoint> points;
    QList<TrendPoint> rainPoints; // only for the temperature metric
    QString rangeText;
    TrendScale scale;
    std::array<QString, 3> valueLabels; // upper, middle, lower
    std::array<QString, 3> hourLabels;
    double leadingInset = 34;
    double axisSpacing = 7;
    double chartHeight = 108;
    bool showsChart = false;
    QString emptyText =
        QCoreApplication::translate("TrendGraphViewModel", "Not enough hourly data to draw a trend yet.");
    QString accessibilityLabel;
    QList<TrendChip> chips;

    TextToken rangeStyle{FontToken::style(TextStyle::caption2, FontWeight::medium).digits(),
                         ColorToken::of(Tint::secondary)};
    TextToken emptyStyle{FontToken::style(TextStyle::callout), ColorToken::of(Tint::secondary)};
    TextToken axisStyle{FontToken::style(TextStyle::caption2).digits(), ColorToken::of(Tint::tertiary)};
    TextToken chipStyle{FontToken::style(TextStyle::caption, FontWeight::semibold),
                        ColorToken::of(Tint::primary)};
    static constexpr double axisMinimumScale = 0.68;

    bool operator==(const TrendViewModel&) const = default;
};

TrendViewModel buildTrendViewModel(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                                   TrendMetric metric, const LocalCalendar& calendar,
                                   double chartHeight = 108, double axisSpacing = 7);

// Where the chart's pieces go in a plot area of the given size.
struct TrendChartGeometry {
    QRectF outer; // the area inset by 6 horizontally and 10 vertically
    QRectF plot;  // the outer area less the room of the value labels
    std::array<double, 3> gridY{};
    QList<QPointF> coordinates;
    QList<QRectF> bars;
};

TrendChartGeometry trendChartGeometry(const QList<TrendPoint>& points, const QList<TrendPoint>& rainPoints,
                                      const TrendScale& scale, double leadingPlotInset, const QSizeF& size);

} // namespace nimbra
