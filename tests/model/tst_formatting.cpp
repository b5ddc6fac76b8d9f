#include "WeatherFormatting.h"

#include <QTest>

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>

#include <limits>

using namespace nimbra;
namespace F = WeatherFormatting;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QString kDegree = QStringLiteral("\u00B0");
const QDateTime kNoon(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

ConsensusForecast consensus(ConsensusState state, int providers, double confidence) {
    ConsensusForecast c;
    c.state = state;
    c.providerCount = providers;
    c.confidence = confidence;
    c.current = WeatherSample{kNoon, 22.2, {}, {}, {}, WeatherCondition::partlyCloudy, {}, {}};
    return c;
}

// Platform formatters may put a narrow or non-breaking space before the AM/PM marker.
QString plainSpaces(QString text) {
    return text.replace(QChar(0x202F), u' ').replace(QChar(0x00A0), u' ');
}

} // namespace

class FormattingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundsHalvesAwayFromZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("21.5") << 21.5 << "22";
        QTest::newRow("2.5 (not to even)") << 2.5 << "3";
        QTest::newRow("-0.4 without sign") << -0.4 << "0";
        QTest::newRow("-0.5") << -0.5 << "-1";
        QTest::newRow("NaN") << kNaN << "--";
        QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << "--";
        QTest::newRow("2^63") << 0x1p63 << "--";
        QTest::newRow("-2^63") << -0x1p63 << "-9223372036854775808";
    }
    void roundsHalvesAwayFromZero() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(F::temperature(value, TemperatureUnit::celsius), text + kDegree);
    }

    void unitsAndPercentages() {
        QCOMPARE(F::temperature(100, TemperatureUnit::fahrenheit), "212" + kDegree);
        QCOMPARE(F::temperatureWithUnit(21.6, TemperatureUnit::fahrenheit), "71" + kDegree + "F");
        QCOMPARE(F::temperatureWithUnit(21.6, TemperatureUnit::celsius), "22" + kDegree + "C");
        QCOMPARE(F::wind(10, WindSpeedUnit::milesPerHour), "6 mph");
        QCOMPARE(F::wind(kNaN, WindSpeedUnit::kilometersPerHour), "-- km/h");
        QCOMPARE(F::precipitationProbability(std::nullopt), "--%");
        QCOMPARE(F::precipitationProbability(0.125), "13%");
        QCOMPARE(F::precipitationProbability(1e300), "--%");
        // 0.575 * 100 is 57.49999999999999 in binary floating point.
        QCOMPARE(F::confidence(0.575), "57% confidence");
    }

    void menuTitleAndQualitySentence() {
        WeatherSettings settings; // fahrenheit, condition shown, confidence hidden
        const auto ready = consensus(ConsensusState::ready, 3, 0.825);
        QCOMPARE(F::compactMenuTitle(ready, settings), "72" + kDegree + " Partly Cloudy");
        settings.showConditionInMenuBar = false;
        settings.showConfidenceInMenuBar = true;
        settings.temperatureUnit = TemperatureUnit::celsius;
        QCOMPARE(F::compactMenuTitle(ready, settings), "22" + kDegree + " 83%");
        auto withoutCurrent = ready;
        withoutCurrent.current.reset();
        QCOMPARE(F::compactMenuTitle(withoutCurrent, settings), "Weather --" + kDegree);
        QCOMPARE(F::compactMenuTitle(nullptr, settings), "Weather --" + kDegree);

        QCOMPARE(F::dataQualitySentence(ready), "Live \u2022 3 sources \u2022 83% sure");
        QCOMPARE(F::dataQualitySentence(consensus(ConsensusState::stale, 1, 0.35)),
                 "Stale \u2022 1 source \u2022 35% sure");
        QCOMPARE(F::dataQualitySentence(consensus(ConsensusState::partial, 0, kNaN)),
                 "Partial \u2022 0 sources \u2022 --% sure");
        QCOMPARE(F::dataQualitySentence(consensus(ConsensusState::unavailable, 4, 0.9)), "No live forecast");
    }

    void timesUseTheLocalZoneAndLocale_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("time");
        const QDate day(2025, 3, 10);
        QTest::newRow("New York, daylight time") << QByteArray("America/New_York") << kEnglish
                                                 << QDateTime(day, QTime(19, 47), Qt::UTC) << "3:00 PM"
                                                 << "3:47 PM";
        QTest::newRow("Kolkata, half-hour offset") << QByteArray("Asia/Kolkata") << kEnglish
                                                   << QDateTime(day, QTime(10, 17, 59), Qt::UTC) << "3:00 PM"
                                                   << "3:47 PM";
        QTest::newRow("UTC, midnight")
            << QByteArray("UTC") << kEnglish << QDateTime(day, QTime(0, 5), Qt::UTC) << "12:00 AM"
            << "12:05 AM";
        QTest::newRow("Berlin, German")
            << QByteArray("Europe/Berlin") << QLocale(QLocale::German, QLocale::Germany)
            << QDateTime(day, QTime(14, 47), Qt::UTC) << QString() << "15:47";
        // The POSIX locale's own short form carries seconds; a short time never does.
        QTest::newRow("C locale, no seconds")
            << QByteArray("UTC") << QLocale::c() << QDateTime(day, QTime(15, 47, 10), Qt::UTC) << QString()
            << "15:47";
        QTest::newRow("Finnish separator")
            << QByteArray("UTC") << QLocale(QLocale::Finnish, QLocale::Finland)
            << QDateTime(day, QTime(15, 47, 10), Qt::UTC) << QString() << "15.47";
    }
    void timesUseTheLocalZoneAndLocale() {
        QFETCH(QByteArray, zone);
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, instant);
        QFETCH(QString, hour);
        QFETCH(QString, time);
        const LocalCalendar calendar(QTimeZone(zone), locale);
        if (!hour.isEmpty())
            QCOMPARE(plainSpaces(F::hourLabel(instant, calendar)), hour);
        QCOMPARE(plainSpaces(F::compactTime(instant, calendar)), time);
    }

    void freshnessIsRelativeToNow() {
        const LocalCalendar kolkata(QTimeZone("Asia/Kolkata"), kEnglish);
        QCOMPARE(F::freshness(kNoon.addSecs(-(5 * 60 + 59)), kNoon, kolkata), "Updated 5 min. ago");
        QCOMPARE(F::freshness(kNoon.addSecs(-22 * 86400), kNoon, kolkata), "Updated 3 wk. ago");
        const LocalCalendar berlin(QTimeZone("Europe/Berlin"), QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(F::freshness(kNoon.addSecs(-120), kNoon, berlin), "Updated vor 2 Min.");

        // A date in the future reads as now.
        const QString current = F::freshness(kNoon, kNoon, kolkata);
        QVERIFY2(current.startsWith("Updated ") && current.contains(u'0'), qPrintable(current));
        QCOMPARE(F::freshness(kNoon.addSecs(10), kNoon, kolkata), current);
        QCOMPARE(F::freshness(kNoon.addYears(3), kNoon, kolkata), current);
    }

    // The short forms written out for US English and the POSIX locale are ICU's own, for every unit and
    // amount; other locales and amounts get ICU's.
    void pastTextIsICUs() {
        const std::pair<QLocale, const char*> locales[] = {
            {QLocale::c(), "en_US_POSIX"},
            {QLocale(QLocale::English, QLocale::UnitedStates), "en_US"},
            {QLocale(QLocale::English, QLocale::UnitedKingdom), "en_GB"},
            {QLocale(QLocale::English, QLocale::Australia), "en_AU"},
            {QLocale(QLocale::German, QLocale::Germany), "de_DE"}};
        const std::pair<F::RelativeUnit, URelativeDateTimeUnit> units[] = {
            {F::RelativeUnit::second, UDAT_REL_UNIT_SECOND}, {F::RelativeUnit::minute, UDAT_REL_UNIT_MINUTE},
            {F::RelativeUnit::hour, UDAT_REL_UNIT_HOUR},     {F::RelativeUnit::day, UDAT_REL_UNIT_DAY},
            {F::RelativeUnit::week, UDAT_REL_UNIT_WEEK},     {F::RelativeUnit::month, UDAT_REL_UNIT_MONTH},
            {F::RelativeUnit::year, UDAT_REL_UNIT_YEAR}};
        QList<qint64> amounts{998, 999, 1000, 1001, 1234, 123456};
        for (qint64 amount = 0; amount <= 120; ++amount)
            amounts.append(amount);
        for (const auto& [locale, icuName] : locales) {
            UErrorCode status = U_ZERO_ERROR;
            const icu::RelativeDateTimeFormatter icu(icu::Locale(icuName), nullptr, UDAT_STYLE_SHORT,
                                                     UDISPCTX_CAPITALIZATION_NONE, status);
            QVERIFY(U_SUCCESS(status));
            for (const auto& [unit, icuUnit] : units) {
                for (const qint64 amount : amounts) {
                    icu::UnicodeString expected;
                    icu.formatNumeric(-double(amount), icuUnit, expected, status);
                    QVERIFY(U_SUCCESS(status));
                    const QString text(reinterpret_cast<const QChar*>(expected.getBuffer()),
                                       expected.length());
                    QCOMPARE(F::pastText(amount, unit, locale).value_or(QString()), text);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(FormattingTest)
#include "tst_formatting.moc"
