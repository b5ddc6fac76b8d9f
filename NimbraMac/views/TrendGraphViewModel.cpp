#include "TrendGraphViewModel.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>
#include <cmath>

namespace nimbra {

namespace trendMetrics {

QList<TrendMetric> allCases() {
    return {TrendMetric::temperature, TrendMetric::feelsLike, TrendMetric::wind, TrendMetric::precipitation,
            TrendMetric::humidity};
}

QString title(TrendMetric metric) {
    switch (metric) {
    case TrendMetric::temperature:
        return QCoreApplication::translate("TrendGraphViewModel", "Temp");
    case TrendMetric::feelsLike:
        return QCoreApplication::translate("TrendGraphViewModel", "Feels");
    case TrendMetric::wind:
        return QCoreApplication::translate("TrendGraphViewModel", "Wind");
    case TrendMetric::precipitation:
        return QCoreApplication::translate("TrendGraphViewModel", "Rain %");
    case TrendMetric::humidity:
        return QCoreApplication::translate("TrendGraphViewModel", "Humidity");
    }
    return {};
}

QString symbolName(TrendMetric metric) {
    switch (metric) {
    case TrendMetric::temperature:
        return QStringLiteral("thermometer.medium");
    case TrendMetric::feelsLike:
        return QStringLiteral("thermometer.sun");
    case TrendMetric::wind:
        return QStringLiteral("wind");
    case TrendMetric::precipitation:
        return QStringLiteral("drop.fill");
    case TrendMetric::humidity:
        return QStringLiteral("humidity.fill");
    }
    return {};
}

ColorToken tint(TrendMetric metric) {
    switch (metric) {
    case TrendMetric::temperature:
        return ColorToken::of(Tint::orange);
    case TrendMetric::feelsLike:
        return ColorToken::of(Tint::pink);
    case TrendMetric::wind:
        return ColorToken::of(Tint::teal);
    case TrendMetric::precipitation:
        return ColorToken::of(Tint::blue);
    case TrendMetric::humidity:
        return ColorToken::of(Tint::cyan);
    }
    return ColorToken::of(Tint::orange);
}

} // namespace trendMetrics

namespace {

QString unitText(TrendMetric metric, const WeatherSettings& settings) {
    switch (metric) {
    case TrendMetric::temperature:
    case TrendMetric::feelsLike:
        return QStringLiteral("\u00B0");
    case TrendMetric::wind:
        return u' ' + windSpeedUnits::abbreviation(settings.windSpeedUnit);
    case TrendMetric::precipitation:
    case TrendMetric::humidity:
        return QStringLiteral("%");
    }
    return {};
}

std::optional<double> metricValue(const WeatherSample& s, TrendMetric metric,
                                  const WeatherSettings& settings) {
    switch (metric) {
    case TrendMetric::temperature:
        return WeatherFormatting::displayTemperature(s.temperatureC, settings.temperatureUnit);
    case TrendMetric::feelsLike:
        return WeatherFormatting::displayTemperature(s.apparentTemperatureC.value_or(s.temperatureC),
                                                     settings.temperatureUnit);
    case TrendMetric::wind:
        if (!s.windKph)
            return std::nullopt;
        return WeatherFormatting::displayWindSpeed(*s.windKph, settings.windSpeedUnit);
    case TrendMetric::precipitation:
        return s.precipitationProbability.value_or(0) * 100;
    case TrendMetric::humidity:
        if (!s.humidity)
            return std::nullopt;
        return *s.humidity * 100;
    }
    return std::nullopt;
}

// Smallest and largest value; the first of equal values is kept.
std::pair<double, double> bounds(const QList<TrendPoint>& points) {
    double lo = points.first().value;
    double hi = lo;
    for (const TrendPoint& p : points) {
        if (p.value < lo)
            lo = p.value;
        if (p.value > hi)
            hi = p.value;
    }
    return {lo, hi};
}

QString hourText(const QList<WeatherSample>& samples, qsizetype index, const LocalCalendar& calendar) {
    if (index < 0 || index >= samples.size())
        return QStringLiteral("--");
    QString text = WeatherFormatting::hourLabel(samples.at(index).date, calendar);
    text.remove(QStringLiteral(":00"));
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

bool isFinitePoint(const QPointF& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

} // namespace

QList<WeatherSample> trendSamples(const QList<WeatherSample>& hourly) {
    return hourly.mid(0, 12);
}

std::optional<TrendPoint> trendPoint(const WeatherSample& sample, TrendMetric metric,
                                     const WeatherSettings& settings) {
    const std::optional<double> value = metricValue(sample, metric, settings);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return TrendPoint{sample.date, *value, trendValueLabel(*value, metric, settings)};
}

QList<TrendPoint> trendPoints(const QList<WeatherSample>& hourly, TrendMetric metric,
                              const WeatherSettings& settings) {
    QList<TrendPoint> out;
    for (const WeatherSample& s : trendSamples(hourly)) {
        if (auto p = trendPoint(s, metric, settings))
            out.append(*p);
    }
    return out;
}

QList<TrendPoint> rainPoints(const QList<WeatherSample>& hourly) {
    QList<TrendPoint> out;
    for (const WeatherSample& s : trendSamples(hourly)) {
        if (!s.precipitationProbability || !std::isfinite(*s.precipitationProbability))
            continue;
        const double percent = *s.precipitationProbability * 100;
        out.append({s.date, qBound(0.0, percent, 100.0), WeatherFormatting::wholeNumberText(percent) + u'%'});
    }
    return out;
}

QString trendValueLabel(double value, TrendMetric metric, const WeatherSettings& settings) {
    return WeatherFormatting::wholeNumberText(value) + unitText(metric, settings);
}

QString trendRangeText(const QList<TrendPoint>& points, TrendMetric metric, const WeatherSettings& settings) {
    if (points.isEmpty()) {
        switch (metric) {
        case TrendMetric::temperature:
        case TrendMetric::feelsLike:
            return QStringLiteral("--\u00B0");
        case TrendMetric::precipitation:
        case TrendMetric::humidity:
            return QStringLiteral("--%");
        case TrendMetric::wind:
            return QStringLiteral("--");
        }
    }
    const auto [lo, hi] = bounds(points);
    if (std::fabs(hi - lo) < 0.5)
        return trendValueLabel(hi, metric, settings);
    return trendValueLabel(lo, metric, settings) + QStringLiteral(" - ") +
           trendValueLabel(hi, metric, settings);
}

TrendScale trendScaleRange(const QList<TrendPoint>& points) {
    if (points.isEmpty())
        return {0, 1};
    const auto [lo, hi] = bounds(points);
    if (std::fabs(hi - lo) < 0.5)
        return {lo - 1, hi + 1};
    const double pad = std::max((hi - lo) * 0.18, 1.0);
    return {lo - pad, hi + pad};
}

double trendLeadingPlotInset(TrendMetric metric) {
    return metric == TrendMetric::wind ? 48 : 34;
}

std::array<QString, 3> trendHourLabels(const QList<WeatherSample>& hourly, const LocalCalendar& calendar) {
    const QList<WeatherSample> samples = trendSamples(hourly);
    const qsizetype n = samples.size();
    const qsizetype middle = n > 1 ? qMin<qsizetype>(n, 6) - 1 : 0;
    return {hourText(samples, 0, calendar), hourText(samples, middle, calendar),
            hourText(samples, n - 1, calendar)};
}

TrendViewModel buildTrendViewModel(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                                   TrendMetric metric, const LocalCalendar& calendar, double chartHeight,
                                   double axisSpacing) {
    TrendViewModel vm;
    vm.metric = metric;
    vm.tint = trendMetrics::tint(metric);
    vm.points = trendPoints(hourly, metric, settings);
    if (metric == TrendMetric::temperature)
        vm.rainPoints = rainPoints(hourly);
    vm.rangeText = trendRangeText(vm.points, metric, settings);
    vm.scale = trendScaleRange(vm.points);
    vm.valueLabels = {trendValueLabel(vm.scale.upper, metric, settings),
                      trendValueLabel((vm.scale.lower + vm.scale.upper) / 2, metric, settings),
                      trendValueLabel(vm.scale.lower, metric, settings)};
    vm.hourLabels = trendHourLabels(hourly, calendar);
    vm.leadingInset = trendLeadingPlotInset(metric);
    vm.axisSpacing = axisSpacing;
    vm.chartHeight = chartHeight;
    vm.showsChart = vm.points.size() >= 2;
    vm.accessibilityLabel = QCoreApplication::translate("TrendGraphViewModel", "12-hour %1 trend")
                                .arg(trendMetrics::title(metric).toLower());
    for (const TrendMetric m : trendMetrics::allCases()) {
        const bool selected = m == metric;
        vm.chips.append(
            {m, trendMetrics::title(m), trendMetrics::symbolName(m), trendMetrics::tint(m), selected,
             selected ? trendMetrics::tint(m).withOpacity(0.24) : ColorToken::of(Tint::secondary, 0.1),
             ColorToken::of(selected ? Tint::primary : Tint::secondary)});
    }
    return vm;
}

TrendChartGeometry trendChartGeometry(const QList<TrendPoint>& points, const QList<TrendPoint>& rainPoints,
                                      const TrendScale& scale, double leadingPlotInset, const QSizeF& size) {
    TrendChartGeometry g;
    g.outer = QRectF(0, 0, size.width(), size.height()).adjusted(6, 10, -6, -10);
    const double offset = std::min(std::max(g.outer.width() - 24, 0.0), std::max(leadingPlotInset, 0.0));
    g.plot = QRectF(g.outer.left() + offset, g.outer.top(), g.outer.width() - offset, g.outer.height());
    for (int i = 0; i < 3; ++i)
        g.gridY[i] = g.outer.top() + g.outer.height() * 0.25 * (i + 1);
    const QRectF& p = g.plot;

    const qsizetype n = points.size();
    if (n >= 2) {
        const double span = std::max(scale.upper - scale.lower, 0.1);
        for (qsizetype i = 0; i < n; ++i) {
            const QPointF c(p.left() + p.width() * double(i) / double(n - 1),
                            p.bottom() - p.height() * (points[i].value - scale.lower) / span);
            // A point that cannot be placed (a scale beyond the range of doubles) is left out of every path.
            if (isFinitePoint(c))
                g.coordinates.append(c);
        }
    }
    const qsizetype m = rainPoints.size();
    if (m >= 2) {
        const double barWidth = std::max(p.width() / double(std::max<qsizetype>(n, 1)) * 0.42, 3.0);
        for (qsizetype i = 0; i < m; ++i) {
            const double x = p.left() + p.width() * double(i) / double(m - 1);
            const double h = p.height() * (qBound(0.0, rainPoints[i].value, 100.0) / 100);
            const double barHeight = std::max(h, 2.0);
            const QPointF centre(x + 0.5, p.bottom() - h / 2);
            const QRectF bar(centre.x() - barWidth / 2, centre.y() - barHeight / 2, barWidth, barHeight);
            if (isFinitePoint(bar.topLeft()) && isFinitePoint(bar.bottomRight()))
                g.bars.append(bar);
        }
    }
    return g;
}

} // namespace nimbra
