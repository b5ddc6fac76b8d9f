#include "WidgetBlocks.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>
#include <cmath>

namespace nimbra {

namespace {

enum class RainBand { low, medium, high };

RainBand rainBand(std::optional<double> probability) {
    // A value that is not a number compares false everywhere and so lands in the low band.
    if (!probability || !(*probability >= 0.25))
        return RainBand::low;
    return *probability >= 0.5 ? RainBand::high : RainBand::medium;
}

} // namespace

WidgetMetricRowMetrics widgetMetricRowMetrics(WidgetMetricRowStyle style) {
    switch (style) {
    case WidgetMetricRowStyle::full:
        return {5, 13, 16,           FontToken::style(TextStyle::caption, FontWeight::semibold),
                0, 0,  std::nullopt, true};
    case WidgetMetricRowStyle::compact:
        return {6,
                11,
                18,
                FontToken::system(10.5, FontWeight::bold, FontDesign::rounded),
                5,
                2,
                ColorToken::of(Tint::white, 0.1),
                false};
    case WidgetMetricRowStyle::rail:
        return {11, 25, 30,           FontToken::system(18, FontWeight::bold, FontDesign::rounded),
                0,  0,  std::nullopt, false};
    }
    return {};
}

ColorToken rainTint(std::optional<double> probability) {
    switch (rainBand(probability)) {
    case RainBand::low:
        return ColorToken::of(Tint::secondary);
    case RainBand::medium:
        return ColorToken::of(Tint::blue);
    case RainBand::high:
        return ColorToken::of(Tint::cyan);
    }
    return ColorToken::of(Tint::secondary);
}

ColorToken cellRainTint(std::optional<double> probability) {
    switch (rainBand(probability)) {
    case RainBand::low:
        return ColorToken::of(Tint::secondary);
    case RainBand::medium:
        return ColorToken::of(Tint::blue, 0.9);
    case RainBand::high:
        return ColorToken::of(Tint::cyan);
    }
    return ColorToken::of(Tint::secondary);
}

RainPillModel rainPillModel(std::optional<double> probability, bool compact) {
    const ColorToken tint = rainTint(probability);
    return {WeatherFormatting::precipitationProbability(probability),
            tint,
            tint.withOpacity(tint.opacity * 0.14),
            compact ? 42.0 : 54.0,
            compact ? 3.0 : 5.0,
            compact ? 8.0 : 9.0,
            FontToken::style(compact ? TextStyle::caption2 : TextStyle::caption, FontWeight::bold).digits()};
}

std::optional<AlertBadgeModel> alertBadgeModel(int count, bool compact) {
    if (count < 1)
        return std::nullopt;
    const QString text = count == 1 ? QCoreApplication::translate("WidgetBlocks", "1 alert")
                                    : QCoreApplication::translate("WidgetBlocks", "%1 alerts").arg(count);
    return AlertBadgeModel{text, compact ? 6.0 : 8.0, compact ? 3.0 : 4.0};
}

QString shortDayLabel(const QDateTime& date, const QDateTime& now, const LocalCalendar& calendar) {
    if (!date.isValid())
        return QStringLiteral("--");
    if (calendar.isSameDay(date, now))
        return QCoreApplication::translate("WidgetBlocks", "Today");
    return calendar.locale().toString(calendar.toLocal(date).date(), QStringLiteral("ddd"));
}

QString dayPair(double lowC, double highC, TemperatureUnit unit) {
    QString low = WeatherFormatting::temperature(lowC, unit);
    low.remove(QChar(0x00B0));
    return low + u'/' + WeatherFormatting::temperature(highC, unit);
}

QString compactHourLabel(const QDateTime& date, const LocalCalendar& calendar) {
    QString label = WeatherFormatting::hourLabel(date, calendar);
    label.remove(QStringLiteral(":00"));
    label.remove(u' ');
    // Some locales write a no-break space between the time and its marker.
    label.remove(QChar(0x00A0));
    label.remove(QChar(0x202F));
    return label;
}

HourlyMiniStripModel hourlyMiniStripModel(const QList<WeatherSample>& samples,
                                          const WeatherSettings& settings, int limit, int startIndex,
                                          bool expanded, const LocalCalendar& calendar) {
    HourlyMiniStripModel model;
    model.expanded = expanded;
    model.cellSpacing = expanded ? 10 : 5;
    model.rowSpacing = expanded ? 7 : 4;
    model.iconSize = expanded ? 34 : 24;
    model.verticalPadding = expanded ? 13 : 6;
    model.cornerRadius = expanded ? 14 : 10;
    model.temperatureFont = expanded ? FontToken::system(16, FontWeight::bold, FontDesign::rounded).digits()
                                     : FontToken::style(TextStyle::caption2, FontWeight::bold).digits();
    const qsizetype start = qMax(0, startIndex);
    const qsizetype count = qMax(0, limit);
    for (const WeatherSample& sample : samples.mid(qMin(start, samples.size())).mid(0, count)) {
        model.cells.append({compactHourLabel(sample.date, calendar), sample.condition,
                            WeatherFormatting::temperature(sample.temperatureC, settings.temperatureUnit),
                            WeatherFormatting::precipitationProbability(sample.precipitationProbability)});
    }
    return model;
}

QList<DayCellModel> tenDayCells(const QList<DailyForecast>& days, const WeatherSettings& settings,
                                const QDateTime& now, const LocalCalendar& calendar) {
    QList<DayCellModel> cells;
    for (const DailyForecast& day : days.mid(0, tenDayMaximumDays)) {
        cells.append({shortDayLabel(day.date, now, calendar), day.condition, conditions::title(day.condition),
                      dayPair(day.lowC, day.highC, settings.temperatureUnit), day.precipitationProbability,
                      WeatherFormatting::precipitationProbability(day.precipitationProbability),
                      cellRainTint(day.precipitationProbability)});
    }
    return cells;
}

QList<DailyMiniRowModel> dailyMiniRows(const QList<DailyForecast>& days, const WeatherSettings& settings,
                                       int limit, const QDateTime& now, const LocalCalendar& calendar) {
    const QList<DailyForecast> shown = days.mid(0, qMax(0, limit));
    QList<DailyMiniRowModel> rows;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const DailyForecast& day = shown[i];
        const TemperatureUnit unit = settings.temperatureUnit;
        rows.append({shortDayLabel(day.date, now, calendar), day.condition,
                     WeatherFormatting::temperature(day.lowC, unit) + QStringLiteral(" / ") +
                         WeatherFormatting::temperature(day.highC, unit),
                     WeatherFormatting::precipitationProbability(day.precipitationProbability),
                     i < shown.size() - 1});
    }
    return rows;
}

} // namespace nimbra
