// The widgets' view models: entry texts and their placeholders, the lists each entry advances to, the rain
// and alert chips, the day and hour texts, the block cuts and the per-family layout choices.

#include "WidgetTestData.h"

#include "WidgetBlocks.h"
#include "WidgetEntryTexts.h"
#include "WidgetLayouts.h"

#include <cmath>
#include <limits>

using namespace nimbra;
using namespace nimbra::widgettest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

DailyForecast dayAt(const QDateTime& date, double lowC, double highC,
                    std::optional<double> rain = std::nullopt) {
    DailyForecast d;
    d.date = date;
    d.lowC = lowC;
    d.highC = highC;
    d.condition = WeatherCondition::rain;
    d.precipitationProbability = rain;
    return d;
}

WeatherWidgetEntry entryWith(const ConsensusForecast& forecast, const QDateTime& date = fixedNow()) {
    return {date, forecast, WeatherSettings{}};
}

QString texts(const QList<WidgetContextMetric>& metrics) {
    QStringList out;
    for (const WidgetContextMetric& m : metrics)
        out << m.title + u'=' + m.value;
    return out.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(nimbra::ColorToken)
Q_DECLARE_METATYPE(nimbra::WeatherWidgetEntry)

class WidgetBlocksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rainChipsByThreshold_data() {
        QTest::addColumn<std::optional<double>>("probability");
        QTest::addColumn<QString>("text");
        QTest::addColumn<ColorToken>("pill");
        QTest::addColumn<ColorToken>("cell");
        const ColorToken secondary = ColorToken::of(Tint::secondary);
        const ColorToken blue = ColorToken::of(Tint::blue);
        const ColorToken cyan = ColorToken::of(Tint::cyan);
        QTest::newRow("none") << std::optional<double>() << "--%" << secondary << secondary;
        QTest::newRow("not a number") << std::optional<double>(kNaN) << "--%" << secondary << secondary;
        QTest::newRow("0.249") << std::optional<double>(0.249) << "25%" << secondary << secondary;
        QTest::newRow("0.25") << std::optional<double>(0.25) << "25%" << blue << blue.withOpacity(0.9);
        QTest::newRow("0.499") << std::optional<double>(0.499) << "50%" << blue << blue.withOpacity(0.9);
        QTest::newRow("0.5") << std::optional<double>(0.5) << "50%" << cyan << cyan;
        QTest::newRow("1.2 (unclamped)") << std::optional<double>(1.2) << "120%" << cyan << cyan;
    }

    void rainChipsByThreshold() {
        QFETCH(std::optional<double>, probability);
        QFETCH(QString, text);
        QFETCH(ColorToken, pill);
        QFETCH(ColorToken, cell);
        const RainPillModel compact = rainPillModel(probability, true);
        QCOMPARE(compact.text, text);
        QCOMPARE(compact.tint, pill);
        QCOMPARE(compact.fill, pill.withOpacity(0.14));
        QCOMPARE(cellRainTint(probability), cell);
        const RainPillModel wide = rainPillModel(probability, false);
        QCOMPARE(std::pair(compact.width, wide.width), std::pair(42.0, 54.0));
    }

    void alertBadgeText_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text"); // empty: no badge at all
        QTest::newRow("negative") << -1 << QString();
        QTest::newRow("none") << 0 << QString();
        QTest::newRow("one") << 1 << "1 alert";
        QTest::newRow("three") << 3 << "3 alerts";
    }

    void alertBadgeText() {
        QFETCH(int, count);
        QFETCH(QString, text);
        const auto badge = alertBadgeModel(count, false);
        QCOMPARE(badge ? badge->text : QString(), text);
    }

    void dayAndHourTexts() {
        const LocalCalendar calendar = utcCalendar();
        QCOMPARE(dayPair(12, 20, TemperatureUnit::celsius), QStringLiteral("12/20°"));
        QCOMPARE(dayPair(-3.4, -0.6, TemperatureUnit::celsius), QStringLiteral("-3/-1°"));
        QCOMPARE(dayPair(0, 100, TemperatureUnit::fahrenheit), QStringLiteral("32/212°"));
        QCOMPARE(dayPair(kNaN, 20, TemperatureUnit::celsius), QStringLiteral("--/20°"));

        QCOMPARE(shortDayLabel(fixedNow().addSecs(9 * 3600 + 39 * 60), fixedNow(), calendar),
                 QStringLiteral("Today"));
        QCOMPARE(shortDayLabel(fixedNow().addDays(1), fixedNow(), calendar), QStringLiteral("Thu"));
        QCOMPARE(shortDayLabel(fixedNow().addSecs(9 * 3600 + 40 * 60), fixedNow(), calendar),
                 QStringLiteral("Thu"));
        QCOMPARE(shortDayLabel(QDateTime(), fixedNow(), calendar), QStringLiteral("--"));

        QCOMPARE(compactHourLabel(fixedNow().addSecs(1800), calendar), QStringLiteral("2PM"));
        QCOMPARE(compactHourLabel(fixedNow().addSecs(-14 * 3600), calendar), QStringLiteral("12AM"));
    }

    void sunEventMetric_data() {
        QTest::addColumn<QList<DailyForecast>>("daily");
        QTest::addColumn<QString>("expected");
        const QDateTime midnight(QDate(2025, 6, 18), QTime(0, 0), Qt::UTC);
        const auto day = [&](int offset, std::optional<int> sunriseHour, std::optional<int> sunsetHour) {
            DailyForecast d = dayAt(midnight.addDays(offset), 10, 20);
            if (sunriseHour)
                d.sunrise = midnight.addDays(offset).addSecs(*sunriseHour * 3600);
            if (sunsetHour)
                d.sunset = midnight.addDays(offset).addSecs(*sunsetHour * 3600);
            return d;
        };
        QTest::newRow("sunrise past, sunset ahead")
            << QList{day(0, 5, 21), day(1, 5, 21)} << "Sunset=9:00 PM";
        QTest::newRow("today's events past: tomorrow's sunrise")
            << QList{day(0, 5, 13), day(1, 5, 21)} << "Sunrise=5:00 AM";
        QTest::newRow("by time, not by list position")
            << QList{day(1, 5, 21), day(0, 5, 20)} << "Sunset=8:00 PM";
        QTest::newRow("last sunset passed, later days without sun times")
            << QList{day(0, 5, 13), day(1, {}, {})} << "Sun=--";
        QTest::newRow("no days") << QList<DailyForecast>{} << "Sun=--";
    }

    void sunEventMetric() {
        QFETCH(QList<DailyForecast>, daily);
        QFETCH(QString, expected);
        ConsensusForecast forecast = forecastWithHours({});
        forecast.daily = daily;
        const WidgetContextMetric metric =
            nimbra::sunEventMetric(entryWith(forecast), fixedNow(), utcCalendar());
        QCOMPARE(metric.title + u'=' + metric.value, expected);
        QCOMPARE(metric.symbol, metric.title == QStringLiteral("Sunset") ? QStringLiteral("sunset.fill")
                                                                         : QStringLiteral("sunrise.fill"));
        QCOMPARE(metric.tint, ColorToken::of(Tint::yellow));
    }

    void entryTextsAndPlaceholders_data() {
        QTest::addColumn<WeatherWidgetEntry>("entry");
        QTest::addColumn<QStringList>("expected"); // title, condition, temperature, feels, high/low, alerts
        QTest::addColumn<QString>("metrics");

        QTest::newRow("no forecast") << WeatherWidgetEntry{fixedNow(), std::nullopt, {}}
                                     << QStringList{"Weather", "No forecast", "--°", "--°", "↑--° ↓--°", "0"}
                                     << "Rain=--% Wind=-- Humidity=--% Sun=--";

        ConsensusForecast plain = forecastWithHours({});
        plain.location.name.clear();
        plain.current->temperatureC = 20; // 68 °F
        plain.current->humidity = 0.125;
        plain.current->windKph = 16.0934; // 10 mph
        plain.current->precipitationProbability = 0.4;
        QTest::newRow("no name, no apparent, no days")
            << entryWith(plain) << QStringList{"Weather", "Cloudy", "68°", "68°", "↑68° ↓68°", "0"}
            << "Rain=40% Wind=10 mph Humidity=13% Sun=--";

        ConsensusForecast full = plain;
        full.location.name = QStringLiteral("Leeds");
        full.current->apparentTemperatureC = 10; // 50 °F
        full.current->humidity = 0.5;
        full.daily = {dayAt(fixedNow(), 15, 25)};
        full.alerts = {WeatherAlert{}, WeatherAlert{}};
        QTest::newRow("full") << entryWith(full)
                              << QStringList{"Leeds", "Cloudy", "68°", "50°", "↑77° ↓59°", "2"}
                              << "Rain=40% Wind=10 mph Humidity=50% Sun=--";

        ConsensusForecast broken = full;
        broken.current->temperatureC = kNaN;
        broken.current->apparentTemperatureC = std::numeric_limits<double>::infinity();
        broken.current->humidity = kNaN;
        broken.current->windKph = kNaN;
        broken.current->precipitationProbability = kNaN;
        broken.daily = {dayAt(fixedNow(), kNaN, kNaN)};
        QTest::newRow("numbers that are not finite")
            << entryWith(broken) << QStringList{"Leeds", "Cloudy", "--°", "--°", "↑--° ↓--°", "2"}
            << "Rain=--% Wind=-- mph Humidity=--% Sun=--";

        // Past midnight the first day is yesterday's: the line shows the entry's own day.
        ConsensusForecast twoDays = full;
        twoDays.daily = {dayAt(fixedNow(), 15, 25), dayAt(fixedNow().addDays(1), 5, 10)};
        QTest::newRow("entry on the next day")
            << entryWith(twoDays, QDateTime(QDate(2025, 6, 19), QTime(1, 0), Qt::UTC))
            << QStringList{"Leeds", "Cloudy", "68°", "50°", "↑50° ↓41°", "2"}
            << "Rain=40% Wind=10 mph Humidity=50% Sun=--";
    }

    void entryTextsAndPlaceholders() {
        QFETCH(WeatherWidgetEntry, entry);
        QFETCH(QStringList, expected);
        QFETCH(QString, metrics);
        const WidgetEntryTexts t = widgetEntryTexts(entry, fixedNow(), utcCalendar());
        QCOMPARE((QStringList{t.locationTitle, t.conditionTitle, t.temperature, t.feelsLike, t.highLow,
                              QString::number(t.alertCount)}),
                 expected);
        QCOMPARE(texts(t.metrics), metrics);
        QCOMPARE(t.iconCondition, entry.forecast && entry.forecast->current
                                      ? entry.forecast->current->condition
                                      : WeatherCondition::unknown);
    }

    // An entry hours ahead shows the hours and days still to come, not those that will have passed.
    void entriesAdvanceTheirLists() {
        const LocalCalendar calendar = utcCalendar();
        ConsensusForecast forecast = forecastWithHours({2400, 6000, 9600, 13200, 16800, 20400, 24000});
        for (int d = 0; d < 4; ++d)
            forecast.daily.append(dayAt(QDateTime(QDate(2025, 6, 18 + d), QTime(0, 0), Qt::UTC), d, 10 + d));

        const auto hoursOf = [&](const QDateTime& date) {
            QList<qint64> offsets;
            for (const WeatherSample& s : entryHourly(entryWith(forecast, date), calendar))
                offsets.append(fixedNow().secsTo(s.date));
            return offsets;
        };
        // 14:20 now: the hour is 14:00, so 15:00 (2400) onwards.
        QCOMPARE(hoursOf(fixedNow()), (QList<qint64>{2400, 6000, 9600, 13200, 16800, 20400, 24000}));
        // An entry at 17:00 (9600) starts with the 17:00 sample; one at 17:30 still does.
        QCOMPARE(hoursOf(fixedNow().addSecs(9600)).first(), 9600);
        QCOMPARE(hoursOf(fixedNow().addSecs(11400)).first(), 9600);
        QVERIFY(hoursOf(fixedNow().addSecs(30000)).isEmpty());

        const QDateTime nextDay(QDate(2025, 6, 19), QTime(2, 0), Qt::UTC);
        QCOMPARE(entryDaily(entryWith(forecast, nextDay), calendar).first().lowC, 1.0);
        QCOMPARE(entryDaily(entryWith(forecast, fixedNow()), calendar).size(), 4);
        QVERIFY(entryHourly(WeatherWidgetEntry{fixedNow(), std::nullopt, {}}, calendar).isEmpty());
    }

    void hourlyStripCut_data() {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("temperatures");
        QTest::newRow("first five of eight") << 8 << 0 << 5 << QStringList{"0°", "1°", "2°", "3°", "4°"};
        QTest::newRow("second strip of a large widget: the remaining two")
            << 8 << 6 << 6 << QStringList{"6°", "7°"};
        QTest::newRow("start beyond the samples: empty") << 3 << 6 << 6 << QStringList{};
        QTest::newRow("negative counts: nothing skipped, nothing shown") << 3 << -2 << -1 << QStringList{};
    }

    void hourlyStripCut() {
        QFETCH(int, samples);
        QFETCH(int, start);
        QFETCH(int, limit);
        QFETCH(QStringList, temperatures);
        QList<WeatherSample> hourly;
        for (int i = 0; i < samples; ++i)
            hourly.append(sampleAt(fixedNow().addSecs(3600 * (i + 1)), i));
        WeatherSettings celsius;
        celsius.temperatureUnit = TemperatureUnit::celsius;
        const HourlyMiniStripModel model =
            hourlyMiniStripModel(hourly, celsius, limit, start, true, utcCalendar());
        QStringList shown;
        for (const HourMiniCell& cell : model.cells)
            shown << cell.temperature;
        QCOMPARE(shown, temperatures);
        if (!model.cells.isEmpty())
            QCOMPARE(model.cells.first().rain, QStringLiteral("--%"));
    }

    void dayBlocks() {
        const LocalCalendar calendar = utcCalendar();
        WeatherSettings celsius;
        celsius.temperatureUnit = TemperatureUnit::celsius;
        QList<DailyForecast> days;
        for (int d = 0; d < 12; ++d)
            days.append(
                dayAt(fixedNow().addDays(d), d, 20, d == 1 ? std::optional<double>(0.6) : std::nullopt));

        const QList<DayCellModel> cells = tenDayCells(days, celsius, fixedNow(), calendar);
        QCOMPARE(cells.size(), 10);
        QCOMPARE(cells.first().label, QStringLiteral("Today"));
        QCOMPARE(cells[1].pair, QStringLiteral("1/20°"));
        QCOMPARE(cells[1].rainTint, ColorToken::of(Tint::cyan));
        QCOMPARE(cells[2].rain, QStringLiteral("--%"));
        QCOMPARE(cells[2].rainTint, ColorToken::of(Tint::secondary));
        QCOMPARE(cells[2].conditionTitle, QStringLiteral("Rain"));
        QCOMPARE(tenDayCells(days.mid(0, 3), celsius, fixedNow(), calendar).size(), 3);

        const QList<DailyMiniRowModel> rows = dailyMiniRows(days.mid(0, 2), celsius, 3, fixedNow(), calendar);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].lowHigh, QStringLiteral("0° / 20°"));
        QCOMPARE((QList<bool>{rows[0].showsDivider, rows[1].showsDivider}), (QList<bool>{true, false}));
        QVERIFY(dailyMiniRows({}, celsius, 3, fixedNow(), calendar).isEmpty());
    }

    void layoutsPerFamily() {
        using enum WidgetFamily;
        QCOMPARE(currentWidgetParameters(systemSmall),
                 (CurrentWidgetParameters{CurrentWidgetLayout::small, {18, 18}, 6, 0, 0}));
        QCOMPARE(currentWidgetParameters(systemMedium),
                 (CurrentWidgetParameters{CurrentWidgetLayout::medium, {20, 17}, 13, 0, 0}));
        QCOMPARE(currentWidgetParameters(systemLarge),
                 (CurrentWidgetParameters{CurrentWidgetLayout::large, {20, 22}, 9, 5, 2}));

        const HourlyWidgetParameters mediumHourly = hourlyWidgetParameters(systemMedium);
        QCOMPARE(mediumHourly.strips, (QList<HourlyStripPlacement>{{0, 5, false}}));
        QCOMPARE(mediumHourly.padding, (WidgetCardPadding{14, 14}));
        const HourlyWidgetParameters largeHourly = hourlyWidgetParameters(systemLarge);
        QCOMPARE(largeHourly.strips, (QList<HourlyStripPlacement>{{0, 6, true}, {6, 6, true}}));
        QCOMPARE(std::pair(largeHourly.padding, largeHourly.spacing),
                 std::pair(WidgetCardPadding{14, 20}, 18.0));
        QCOMPARE(largeHourly.subtitle, QStringLiteral("Next hours"));

        const TenDayWidgetParameters mediumTenDay = tenDayWidgetParameters(systemMedium);
        QVERIFY(!mediumTenDay.showsHeader && mediumTenDay.compactGrid);
        QCOMPARE(std::pair(mediumTenDay.padding, mediumTenDay.spacing),
                 std::pair(WidgetCardPadding{16, 12}, 5.0));
        const TenDayWidgetParameters largeTenDay = tenDayWidgetParameters(systemLarge);
        QVERIFY(largeTenDay.showsHeader && !largeTenDay.compactGrid);
        QCOMPARE(largeTenDay.subtitle, QStringLiteral("Ten day forecast"));
        QCOMPARE(std::pair(largeTenDay.padding, largeTenDay.spacing),
                 std::pair(WidgetCardPadding{22, 18}, 10.0));
    }
};

QTEST_MAIN(WidgetBlocksTest)
#include "tst_widget_blocks.moc"
