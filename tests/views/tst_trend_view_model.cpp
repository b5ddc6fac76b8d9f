#include "TrendGraphViewModel.h"

#include <QTest>

#include <cmath>

using namespace nimbra;

namespace {

const QDateTime kStart(QDate(2025, 6, 18), QTime(15, 0), Qt::UTC);
const LocalCalendar kCalendar(QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedStates));

WeatherSettings celsius() {
    WeatherSettings s;
    s.temperatureUnit = TemperatureUnit::celsius;
    s.windSpeedUnit = WindSpeedUnit::kilometersPerHour;
    return s;
}

QList<WeatherSample> hours(const QList<double>& temperatures) {
    QList<WeatherSample> out;
    for (qsizetype i = 0; i < temperatures.size(); ++i) {
        WeatherSample s;
        s.date = kStart.addSecs(3600 * i);
        s.temperatureC = temperatures[i];
        out.append(s);
    }
    return out;
}

QList<WeatherSample> count(int n) {
    return hours(QList<double>(n, 20.0));
}

} // namespace

class TrendViewModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scaleRangeAndLabels_data() {
        QTest::addColumn<QList<double>>("temperatures");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<bool>("chart");
        QTest::newRow("flat") << QList<double>{20, 20, 20} << 19.0 << 21.0 << "20°"
                              << QStringList{"21°", "20°", "19°"} << true;
        QTest::newRow("10 to 20") << QList<double>{10, 15, 20} << 8.2 << 21.8 << "10° - 20°"
                                  << QStringList{"22°", "15°", "8°"} << true;
        QTest::newRow("pad at least 1")
            << QList<double>{10, 12} << 9.0 << 13.0 << "10° - 12°" << QStringList{"13°", "11°", "9°"} << true;
        QTest::newRow("nearly flat") << QList<double>{20, 20.4} << 19.0 << 21.4 << "20°"
                                     << QStringList{"21°", "20°", "19°"} << true;
        QTest::newRow("single point")
            << QList<double>{20} << 19.0 << 21.0 << "20°" << QStringList{"21°", "20°", "19°"} << false;
        QTest::newRow("no points") << QList<double>{} << 0.0 << 1.0 << "--°" << QStringList{"1°", "1°", "0°"}
                                   << false;
        QTest::newRow("below zero, halves away") << QList<double>{-2.5, -0.5} << -3.5 << 0.5 << "-3° - -1°"
                                                 << QStringList{"1°", "-2°", "-4°"} << true;
    }

    void scaleRangeAndLabels() {
        QFETCH(QList<double>, temperatures);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(QString, range);
        QFETCH(QStringList, labels);
        QFETCH(bool, chart);
        const TrendViewModel vm =
            buildTrendViewModel(hours(temperatures), celsius(), TrendMetric::temperature, kCalendar);
        QVERIFY2(std::fabs(vm.scale.lower - lower) < 1e-9, qPrintable(QString::number(vm.scale.lower)));
        QVERIFY2(std::fabs(vm.scale.upper - upper) < 1e-9, qPrintable(QString::number(vm.scale.upper)));
        QCOMPARE(vm.rangeText, range);
        QCOMPARE(QStringList(vm.valueLabels.begin(), vm.valueLabels.end()), labels);
        QCOMPARE(vm.showsChart, chart);
    }

    void metricValues_data() {
        QTest::addColumn<TrendMetric>("metric");
        QTest::addColumn<bool>("metricUnits");
        QTest::addColumn<WeatherSample>("sample");
        QTest::addColumn<bool>("plotted");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("label");
        WeatherSample s;
        s.date = kStart;
        s.temperatureC = 20;
        WeatherSample windy = s;
        windy.windKph = 10;
        WeatherSample gusty = s;
        gusty.windKph = 12.4;
        WeatherSample apparent = s;
        apparent.apparentTemperatureC = 25;
        WeatherSample humid = s;
        humid.humidity = 0.5;
        WeatherSample wet = s;
        wet.precipitationProbability = 0.35;
        WeatherSample broken = s;
        broken.temperatureC = std::nan("");
        QTest::newRow("mph") << TrendMetric::wind << false << windy << true << 6.21371 << "6 mph";
        QTest::newRow("km/h") << TrendMetric::wind << true << gusty << true << 12.4 << "12 km/h";
        QTest::newRow("fahrenheit") << TrendMetric::temperature << false << s << true << 68.0 << "68°";
        QTest::newRow("feels like") << TrendMetric::feelsLike << true << apparent << true << 25.0 << "25°";
        QTest::newRow("feels like falls back")
            << TrendMetric::feelsLike << true << s << true << 20.0 << "20°";
        QTest::newRow("rain chance") << TrendMetric::precipitation << true << wet << true << 35.0 << "35%";
        QTest::newRow("absent rain chance is 0")
            << TrendMetric::precipitation << true << s << true << 0.0 << "0%";
        QTest::newRow("humidity") << TrendMetric::humidity << true << humid << true << 50.0 << "50%";
        QTest::newRow("no humidity") << TrendMetric::humidity << true << s << false << 0.0 << "";
        QTest::newRow("no wind") << TrendMetric::wind << true << s << false << 0.0 << "";
        QTest::newRow("not a number") << TrendMetric::temperature << true << broken << false << 0.0 << "";
    }

    void metricValues() {
        QFETCH(TrendMetric, metric);
        QFETCH(bool, metricUnits);
        QFETCH(WeatherSample, sample);
        QFETCH(bool, plotted);
        QFETCH(double, value);
        QFETCH(QString, label);
        const auto point = trendPoint(sample, metric, metricUnits ? celsius() : WeatherSettings{});
        QCOMPARE(point.has_value(), plotted);
        if (point) {
            QVERIFY2(std::fabs(point->value - value) < 1e-9, qPrintable(QString::number(point->value)));
            QCOMPARE(point->displayValue, label);
            QCOMPARE(point->date, kStart);
        }
    }

    void missingValuesCloseUpAndMayLeaveTooFewPoints() {
        QList<WeatherSample> samples = count(5);
        samples[3].humidity = 0.81;
        const TrendViewModel one = buildTrendViewModel(samples, celsius(), TrendMetric::humidity, kCalendar);
        QCOMPARE(one.points.size(), 1);
        QVERIFY(!one.showsChart);
        QCOMPARE(one.rangeText, QStringLiteral("81%"));
        const TrendViewModel none = buildTrendViewModel(samples, celsius(), TrendMetric::wind, kCalendar);
        QCOMPARE(none.rangeText, QStringLiteral("--"));
        samples[1].humidity = 0.4;
        const TrendViewModel two = buildTrendViewModel(samples, celsius(), TrendMetric::humidity, kCalendar);
        QVERIFY(two.showsChart);
        QCOMPARE(two.points[0].date, samples[1].date);
        QCOMPARE(two.points[1].date, samples[3].date);
        QCOMPARE(two.accessibilityLabel, QStringLiteral("12-hour humidity trend"));
    }

    void hourLabels_data() {
        QTest::addColumn<int>("samples");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("none") << 0 << QStringList{"--", "--", "--"};
        QTest::newRow("one") << 1 << QStringList{"3PM", "3PM", "3PM"};
        QTest::newRow("four: middle is the last") << 4 << QStringList{"3PM", "6PM", "6PM"};
        QTest::newRow("twelve") << 12 << QStringList{"3PM", "8PM", "2AM"};
        QTest::newRow("thirty: first twelve only") << 30 << QStringList{"3PM", "8PM", "2AM"};
    }

    void hourLabels() {
        QFETCH(int, samples);
        QFETCH(QStringList, labels);
        const auto got = trendHourLabels(count(samples), kCalendar);
        QCOMPARE(QStringList(got.begin(), got.end()), labels);
        // Only the first twelve are plotted.
        QCOMPARE(trendPoints(count(samples), TrendMetric::temperature, celsius()).size(), qMin(samples, 12));
    }

    void rainBarsBehindTheTemperatureOnly() {
        QList<WeatherSample> samples = count(4);
        samples[0].precipitationProbability = 1.2;
        samples[1].precipitationProbability = 0.0;
        samples[3].precipitationProbability = -0.1;
        const TrendViewModel temperature =
            buildTrendViewModel(samples, celsius(), TrendMetric::temperature, kCalendar);
        QCOMPARE(temperature.rainPoints.size(), 3);
        QCOMPARE(temperature.rainPoints[0].value, 100.0);
        QCOMPARE(temperature.rainPoints[0].displayValue, QStringLiteral("120%"));
        QCOMPARE(temperature.rainPoints[2].value, 0.0);
        for (const TrendMetric other :
             {TrendMetric::feelsLike, TrendMetric::wind, TrendMetric::precipitation, TrendMetric::humidity})
            QVERIFY(buildTrendViewModel(samples, celsius(), other, kCalendar).rainPoints.isEmpty());

        // A 120 % chance fills the plot's height; a dry hour still shows a 2 px stub.
        const TrendChartGeometry g = trendChartGeometry(temperature.points, temperature.rainPoints,
                                                        temperature.scale, 41, QSizeF(300, 108));
        QCOMPARE(g.bars.size(), 3);
        QCOMPARE(g.bars[0].height(), g.plot.height());
        QCOMPARE(g.bars[0].bottom(), g.plot.bottom());
        QCOMPARE(g.bars[1].height(), 2.0);
        // Bars spread over their own count: the last one sits on the plot's right edge.
        QCOMPARE(g.bars[2].center().x(), g.plot.right() + 0.5);
    }

    void chartGeometry_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("inset");
        QTest::addColumn<double>("plotLeft");
        QTest::addColumn<double>("barWidth");
        QTest::newRow("popover") << 300.0 << 41.0 << 47.0 << (300.0 - 12 - 41) / 12 * 0.42;
        QTest::newRow("wind inset") << 300.0 << 55.0 << 61.0 << (300.0 - 12 - 55) / 12 * 0.42;
        QTest::newRow("narrow: inset limited") << 50.0 << 41.0 << 20.0 << 3.0;
        QTest::newRow("36 px: no offset") << 36.0 << 41.0 << 6.0 << 3.0;
        QTest::newRow("negative inset") << 300.0 << -5.0 << 6.0 << (300.0 - 12) / 12 * 0.42;
    }

    void chartGeometry() {
        QFETCH(double, width);
        QFETCH(double, inset);
        QFETCH(double, plotLeft);
        QFETCH(double, barWidth);
        QList<WeatherSample> samples = hours({10, 12, 14, 16, 18, 20, 20, 18, 16, 14, 12, 10});
        for (WeatherSample& s : samples)
            s.precipitationProbability = 0.5;
        const TrendViewModel vm =
            buildTrendViewModel(samples, celsius(), TrendMetric::temperature, kCalendar);
        const TrendChartGeometry g =
            trendChartGeometry(vm.points, vm.rainPoints, vm.scale, inset, QSizeF(width, 108));
        QCOMPARE(g.outer, QRectF(6, 10, width - 12, 88));
        QCOMPARE(g.plot.left(), plotLeft);
        QCOMPARE(g.plot.right(), g.outer.right());
        QCOMPARE(g.gridY[1], 54.0);
        QCOMPARE(g.coordinates.size(), 12);
        QCOMPARE(g.coordinates.first().x(), g.plot.left());
        QCOMPARE(g.coordinates.last().x(), g.plot.right());
        // 10 ... 20 on a scale of 8.2 ... 21.8.
        QVERIFY(std::fabs(g.coordinates.first().y() - (98 - 88 * 1.8 / 13.6)) < 1e-9);
        QVERIFY(std::fabs(g.bars.first().width() - barWidth) < 1e-9);
    }

    void flatAndTinySeries() {
        // A flat series sits in the middle; one point is no line at all.
        const TrendViewModel flat =
            buildTrendViewModel(count(3), celsius(), TrendMetric::temperature, kCalendar);
        const TrendChartGeometry g = trendChartGeometry(flat.points, {}, flat.scale, 41, QSizeF(300, 108));
        for (const QPointF& c : g.coordinates)
            QCOMPARE(c.y(), g.plot.center().y());
        const TrendViewModel single =
            buildTrendViewModel(count(1), celsius(), TrendMetric::temperature, kCalendar);
        QVERIFY(trendChartGeometry(single.points, single.rainPoints, single.scale, 41, QSizeF(300, 108))
                    .coordinates.isEmpty());
        // A degenerate scale does not divide by zero.
        const TrendChartGeometry same =
            trendChartGeometry(flat.points, {}, TrendScale{5, 5}, 41, QSizeF(300, 108));
        for (const QPointF& c : same.coordinates)
            QVERIFY(std::isfinite(c.y()));
    }

    void chipsAndMetricNames() {
        const TrendViewModel vm =
            buildTrendViewModel(count(3), celsius(), TrendMetric::precipitation, kCalendar);
        QCOMPARE(vm.chips.size(), 5);
        QStringList titles;
        for (const TrendChip& chip : vm.chips) {
            titles << chip.title;
            QCOMPARE(chip.selected, chip.metric == TrendMetric::precipitation);
        }
        QCOMPARE(titles, (QStringList{"Temp", "Feels", "Wind", "Rain %", "Humidity"}));
        QCOMPARE(vm.chips[3].fill, ColorToken::of(Tint::blue, 0.24));
        QCOMPARE(vm.chips[0].fill, ColorToken::of(Tint::secondary, 0.1));
        QCOMPARE(vm.accessibilityLabel, QStringLiteral("12-hour rain % trend"));
        QCOMPARE(vm.leadingInset, 34.0);
        QCOMPARE(fromRawValue<TrendMetric>(u"feelsLike"), TrendMetric::feelsLike);
        QVERIFY(!fromRawValue<TrendMetric>(u"Feels"));
    }
};

QTEST_GUILESS_MAIN(TrendViewModelTest)
#include "tst_trend_view_model.moc"
