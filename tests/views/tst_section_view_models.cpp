#include "AlertListViewModel.h"
#include "DailyListViewModel.h"
#include "HourlyStripViewModel.h"
#include "SectionLabel.h"
#include "WeatherContextMetricStrip.h"

#include <QTest>

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

QList<WeatherSample> hours(int n) {
    QList<WeatherSample> out;
    for (int i = 0; i < n; ++i) {
        WeatherSample s;
        s.date = kStart.addSecs(3600 * i);
        s.temperatureC = 20 + i;
        s.condition = WeatherCondition::rain;
        out.append(s);
    }
    return out;
}

QList<DailyForecast> days(int n) {
    QList<DailyForecast> out;
    for (int i = 0; i < n; ++i) {
        DailyForecast d;
        d.date = kStart.addDays(i);
        d.lowC = 12;
        d.highC = 20;
        d.condition = WeatherCondition::partlyCloudy;
        d.precipitationProbability = 0.4;
        out.append(d);
    }
    return out;
}

WeatherAlert alert(WeatherAlertSeverity severity, WeatherProviderKind source, const QString& title) {
    WeatherAlert a;
    a.id = QUuid::createUuid();
    a.severity = severity;
    a.source = source;
    a.title = title;
    return a;
}

} // namespace

class SectionViewModelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hourlyCards_data() {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("cards");
        QTest::newRow("48 hours") << 48 << 12;
        QTest::newRow("5 hours") << 5 << 5;
        QTest::newRow("none") << 0 << 0;
    }

    void hourlyCards() {
        QFETCH(int, samples);
        QFETCH(int, cards);
        const HourlyStripViewModel vm = buildHourlyStripViewModel(hours(samples), celsius(), kCalendar);
        QCOMPARE(vm.cards.size(), cards);
        if (cards > 0) {
            QCOMPARE(vm.cards.first().hour, QStringLiteral("3:00 PM"));
            QCOMPARE(vm.cards.last().temperature, QString::number(20 + cards - 1) + QChar(0x00B0));
        }
    }

    void hourlyCardTexts() {
        QList<WeatherSample> samples = hours(3);
        samples[0].precipitationProbability = 0.35;
        samples[0].windKph = 20;
        // A second sample in the same hour still has its own card, labelled with the start of its hour.
        samples[1].date = samples[0].date.addSecs(25 * 60);
        const HourlyStripViewModel mph = buildHourlyStripViewModel(samples, WeatherSettings{}, kCalendar);
        QCOMPARE(mph.cards.size(), 3);
        QCOMPARE(mph.cards[0].rain, QStringLiteral("35%"));
        QCOMPARE(*mph.cards[0].wind, QStringLiteral("12 mph"));
        QCOMPARE(mph.cards[0].temperature, QStringLiteral("68\u00B0"));
        QCOMPARE(mph.cards[1].rain, QStringLiteral("--%"));
        QVERIFY(!mph.cards[1].wind);
        QCOMPARE(mph.cards[1].hour, QStringLiteral("3:00 PM"));
        QCOMPARE(mph.cards[0].condition, WeatherCondition::rain);
    }

    void alertCards() {
        const QList<WeatherAlert> alerts = {
            alert(WeatherAlertSeverity::extreme, WeatherProviderKind::nws, "Heat"),
            alert(WeatherAlertSeverity::minor, WeatherProviderKind::metNorway, "Fog"),
            alert(WeatherAlertSeverity::severe, WeatherProviderKind::weatherAPI, "")};
        const AlertListViewModel vm = buildAlertListViewModel(alerts);
        QVERIFY(!vm.emptyText);
        QCOMPARE(vm.cards.size(), 3);
        QStringList words, sources;
        for (const AlertCard& card : vm.cards) {
            words << card.severityWord;
            sources << card.source;
        }
        QCOMPARE(words, (QStringList{"Extreme", "Minor", "Severe"}));
        QCOMPARE(sources, (QStringList{"NWS", "MET Norway", "WeatherAPI.com"}));
        QCOMPARE(vm.cards[0].severityTint, ColorToken::of(Tint::red));
        QCOMPARE(vm.cards[1].severityTint, ColorToken::of(Tint::orange));
        QCOMPARE(vm.cards[2].severityTint, ColorToken::of(Tint::red));
        QCOMPARE(vm.cards[0].id, alerts[0].id);
        QCOMPARE(severityTint(WeatherAlertSeverity::moderate), ColorToken::of(Tint::orange));

        const AlertListViewModel empty = buildAlertListViewModel({});
        QCOMPARE(*empty.emptyText, QStringLiteral("No active official alerts."));
        QVERIFY(empty.cards.isEmpty());
        QCOMPARE(sectionLabelText(vm.sectionTitle), QStringLiteral("ALERTS"));
        QCOMPARE(sectionLabelText(QStringLiteral("Next 12 Hours")), QStringLiteral("NEXT 12 HOURS"));
    }

    void dailyRowsAndDividers_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("rows");
        QTest::newRow("twelve days") << 12 << 10;
        QTest::newRow("three days") << 3 << 3;
        QTest::newRow("one day") << 1 << 1;
        QTest::newRow("none") << 0 << 0;
    }

    void dailyRowsAndDividers() {
        QFETCH(int, days);
        QFETCH(int, rows);
        const DailyListViewModel vm = buildDailyListViewModel(::days(days), celsius(), {}, kCalendar);
        QCOMPARE(vm.rows.size(), rows);
        for (int i = 0; i < rows; ++i)
            QCOMPARE(vm.rows[i].showsDivider, i < rows - 1);
        QCOMPARE(vm.columnTitles, (QStringList{"DAY", "FORECAST", "LOW / HIGH", "RAIN"}));
    }

    void dailyTextsFollowTheUnit_data() {
        QTest::addColumn<bool>("metric");
        QTest::addColumn<bool>("hasRain");
        QTest::addColumn<QString>("lowHigh");
        QTest::addColumn<QString>("rain");
        QTest::addColumn<QString>("detail");
        QTest::newRow("celsius")
            << true << true << "12° / 20°"
            << "40%"
            << "Partly Cloudy conditions with a low of 12°, a high of 20°, and 40% chance of "
               "precipitation.";
        QTest::newRow("fahrenheit, no rain chance")
            << false << false << "54° / 68°"
            << "--%"
            << "Partly Cloudy conditions with a low of 54°, a high of 68°, and --% chance of precipitation.";
    }

    void dailyTextsFollowTheUnit() {
        QFETCH(bool, metric);
        QFETCH(bool, hasRain);
        QFETCH(QString, lowHigh);
        QFETCH(QString, rain);
        QFETCH(QString, detail);
        QList<DailyForecast> list = days(1);
        if (!hasRain)
            list[0].precipitationProbability.reset();
        const DailyRow row =
            buildDailyListViewModel(list, metric ? celsius() : WeatherSettings{}, {}, kCalendar).rows.first();
        QCOMPARE(row.lowHigh, lowHigh);
        QCOMPARE(row.rain, rain);
        QCOMPARE(row.detail, detail);
        QCOMPARE(row.weekday, QStringLiteral("Wednesday"));
        QCOMPARE(row.accessibilityLabel, QStringLiteral("Forecast for Wednesday"));
    }

    void weekdayInTheUsersZone() {
        DailyForecast late;
        late.date = QDateTime(QDate(2025, 6, 18), QTime(23, 30), Qt::UTC);
        const LocalCalendar tokyo(QTimeZone("Asia/Tokyo"), QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(buildDailyListViewModel({late}, celsius(), {}, tokyo).rows.first().weekday,
                 QStringLiteral("Thursday"));
        const LocalCalendar paris(QTimeZone("Europe/Paris"), QLocale(QLocale::French, QLocale::France));
        QCOMPARE(buildDailyListViewModel({late}, celsius(), {}, paris).rows.first().weekday,
                 QStringLiteral("jeudi"));
    }

    void expandedDays() {
        const QList<DailyForecast> list = days(4);
        QSet<QDateTime> expanded = toggledDays({}, list[1].date);
        expanded = toggledDays(expanded, list[3].date);
        DailyListViewModel vm = buildDailyListViewModel(list, celsius(), expanded, kCalendar);
        QList<bool> open;
        for (const DailyRow& row : vm.rows)
            open << row.expanded;
        QCOMPARE(open, (QList<bool>{false, true, false, true}));
        QCOMPARE(vm.rows[1].chevronDegrees, 180.0);
        QCOMPARE(vm.rows[0].chevronDegrees, 0.0);
        // Closing one keeps the other open.
        expanded = toggledDays(expanded, list[1].date);
        QCOMPARE(expanded, QSet<QDateTime>{list[3].date});
        // A new forecast that still lists the day reopens it expanded, even as a different object.
        QList<DailyForecast> refreshed = days(5);
        refreshed[3].highC = 30;
        vm = buildDailyListViewModel(refreshed, celsius(), expanded, kCalendar);
        QVERIFY(vm.rows[3].expanded);
        QVERIFY(!vm.rows[4].expanded);
    }

    void columnWidths_data() {
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("day");
        QTest::addColumn<double>("lowHigh");
        QTest::addColumn<double>("spacing");
        const double full = DailyColumnWidths{}.total();
        QTest::newRow("designed width fits") << full + 20 << 96.0 << 86.0 << 10.0;
        QTest::newRow("exactly the designed width") << full << 96.0 << 86.0 << 10.0;
        // 34 px short: the day column gives 30 (down to its text), low/high the rest.
        QTest::newRow("smallest popover with scroll bar") << full - 34 << 66.0 << 82.0 << 10.0;
        // 90 short: day 30, low/high 26, icon 16, rain 12, and 1.2 from each of the five gaps.
        QTest::newRow("columns at their texts, gaps narrow") << 240.0 << 66.0 << 60.0 << 8.8;
        QTest::newRow("gaps at 4, day cut") << 200.0 << 50.0 << 60.0 << 4.0;
    }

    void columnWidths() {
        QFETCH(double, available);
        QFETCH(double, day);
        QFETCH(double, lowHigh);
        QFETCH(double, spacing);
        DailyColumnNeeds needs;
        needs.day = 66;
        needs.lowHigh = 60;
        needs.rain = 30;
        const DailyColumnWidths w = dailyColumnWidths(available, needs);
        QVERIFY2(std::abs(w.day - day) < 1e-9, qPrintable(QString::number(w.day)));
        QVERIFY2(std::abs(w.lowHigh - lowHigh) < 1e-9, qPrintable(QString::number(w.lowHigh)));
        QVERIFY2(std::abs(w.spacing - spacing) < 1e-9, qPrintable(QString::number(w.spacing)));
        QVERIFY(w.total() <= qMax(available, DailyColumnWidths{}.total()) + 1e-9);
        QVERIFY(w.icon >= needs.icon && w.rain >= needs.rain);
        QCOMPARE(w.detailIndent(), w.day + w.spacing);
    }

    void metricStripGeometry_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<double>("height");
        QTest::addColumn<QList<double>>("dividers");
        QTest::newRow("none: only padding") << 0 << 2.0 << QList<double>{};
        QTest::newRow("one: full width") << 1 << 62.0 << QList<double>{};
        QTest::newRow("four") << 4 << 62.0 << QList<double>{75, 150, 225};
    }

    void metricStripGeometry() {
        QFETCH(int, items);
        QFETCH(double, height);
        QFETCH(QList<double>, dividers);
        const MetricStripGeometry g = nimbra::metricStripGeometry(items, 300, 60);
        QCOMPARE(g.height, height);
        QCOMPARE(g.cells.size(), items);
        for (const QRectF& cell : g.cells) {
            QCOMPARE(cell.width(), 300.0 / items);
            QCOMPARE(cell.top(), 1.0);
        }
        QList<double> at;
        for (const QRectF& d : g.dividers) {
            at << d.left();
            QCOMPARE(d.width(), 1.0);
            QCOMPARE(d.height(), 60.0);
        }
        QCOMPARE(at, dividers);
        QCOMPARE(g.topHairline, QRectF(0, 0, 300, 1));
        QCOMPARE(g.bottomHairline, QRectF(0, height - 1, 300, 1));
        QCOMPARE(metricstrip::captionText(QStringLiteral("Sunrise")), QStringLiteral("SUNRISE"));
    }
};

QTEST_GUILESS_MAIN(SectionViewModelsTest)
#include "tst_section_view_models.moc"
