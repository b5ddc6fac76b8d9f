#include "APIKeyCheckStatus.h"
#include "ConsensusForecast.h"
#include "Iso8601.h"
#include "LocalCalendar.h"
#include "ProviderAccuracyScore.h"
#include "ProviderForecast.h"
#include "UUIDText.h"
#include "WeatherSettings.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <limits>

using namespace nimbra;

namespace {

const QUuid kLocationID = *parseUUID(u"0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F");
const QDateTime kNoon = QDateTime(QDate(2025, 1, 20), QTime(12, 0), Qt::UTC);

WeatherSample sample() {
    return {kNoon, 21.5, 20.0, std::nullopt, 12.0, WeatherCondition::partlyCloudy, 0.2, std::nullopt};
}

ProviderForecast forecast() {
    WeatherAlert alert{*parseUUID(u"11111111-2222-3333-4444-555555555555"),
                       WeatherProviderKind::nws,
                       QStringLiteral("Wind Advisory"),
                       QStringLiteral("Gusts to 50 mph"),
                       WeatherAlertSeverity::moderate,
                       kNoon,
                       kNoon.addSecs(3600),
                       QUrl(QStringLiteral("https://example.org/alert?id=1"))};
    DailyForecast day{kNoon, 24, 11, WeatherCondition::rain, 0.6, kNoon.addSecs(-5 * 3600), std::nullopt};
    return {WeatherProviderKind::metNorway,
            kLocationID,
            kNoon,
            kNoon.addSecs(1800),
            "MET",
            sample(),
            {sample()},
            {day},
            {alert},
            std::nullopt};
}

// A sample read by one lookup per key, in the record's field order: what the one-pass reader must match,
// faults and their messages included.
Coded<WeatherSample> sampleByLookups(const QByteArray& bytes) {
    try {
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        return {WeatherSample{json::readDate(o, u"date"), json::readDouble(o, u"temperatureC"),
                              json::readOptionalDouble(o, u"apparentTemperatureC"),
                              json::readOptionalDouble(o, u"humidity"),
                              json::readOptionalDouble(o, u"windKph"),
                              readEnum<WeatherCondition>(o, u"condition"),
                              json::readOptionalDouble(o, u"precipitationProbability"),
                              json::readOptionalDouble(o, u"precipitationIntensityMmPerHour")},
                {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.message()};
    }
}

} // namespace

class ModelRecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void enumerationsUseExactRawValues() {
        QCOMPARE(fromRawValue<WeatherProviderKind>(u"openMeteo"), WeatherProviderKind::openMeteo);
        QVERIFY(!fromRawValue<WeatherProviderKind>(u"OpenMeteo"));
        QCOMPARE(providers::allCases(),
                 (QList{WeatherProviderKind::openMeteo, WeatherProviderKind::weatherKit,
                        WeatherProviderKind::openWeather, WeatherProviderKind::metNorway,
                        WeatherProviderKind::tomorrowIO}));
        QCOMPARE(providers::displayName(WeatherProviderKind::pirateWeather), "Pirate Weather");
        QCOMPARE(providers::defaultWeight(WeatherProviderKind::pirateWeather), 0.68);
        QCOMPARE(providers::displayName(WeatherProviderKind::nws), "NWS");
        QCOMPARE(conditions::symbolName(WeatherCondition::unknown), "questionmark.circle");
        QCOMPARE(conditions::symbolName(WeatherCondition::windy), "wind");
        QVERIFY(WeatherAlertSeverity::moderate < WeatherAlertSeverity::severe);
        QVERIFY(!(WeatherAlertSeverity::extreme < WeatherAlertSeverity::minor));
        QCOMPARE(providers::sortedByRawValue(providers::liveSet()),
                 (QList{WeatherProviderKind::metNorway, WeatherProviderKind::openMeteo,
                        WeatherProviderKind::openWeather, WeatherProviderKind::tomorrowIO,
                        WeatherProviderKind::weatherKit}));
    }

    void apiKeyCheckStatusTexts() {
        QCOMPARE(APIKeyCheckStatus::checking().detail(), std::nullopt);
        QCOMPARE(APIKeyCheckStatus::missing().detail(), QStringLiteral("Enter an API key."));
        const auto invalid = APIKeyCheckStatus::invalid(QStringLiteral("Bad key"));
        QCOMPARE(invalid.title(), "Not working");
        QCOMPARE(invalid.detail(), QStringLiteral("Bad key"));
        const auto a = APIKeyCheckStatus::valid(kNoon), b = APIKeyCheckStatus::valid(kNoon.addSecs(1));
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b));
        // The check time is the short time of day in the user's zone and locale.
        const LocalCalendar newYork(QTimeZone("America/New_York"),
                                    QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(a.detail(newYork)->replace(QChar(0x202F), u' '), "Checked 7:00 AM");
    }

    void strictDecodingFailures_data() {
        QTest::addColumn<QByteArray>("json");
        const QByteArray ok = R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"condition":"rain")";
        QTest::newRow("missing required key")
            << QByteArray(R"({"date":"2025-01-20T12:00:00Z","condition":"rain"})");
        QTest::newRow("null required key") << ok.left(ok.indexOf("3")) + "null,\"condition\":\"rain\"}";
        QTest::newRow("wrong kind") << QByteArray(
            R"({"date":"2025-01-20T12:00:00Z","temperatureC":"3","condition":"rain"})");
        QTest::newRow("unknown enumeration text")
            << QByteArray(R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"condition":"hail"})");
        QTest::newRow("enumeration as number")
            << QByteArray(R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"condition":3})");
        QTest::newRow("fractional-second date")
            << QByteArray(R"({"date":"2025-01-20T12:00:00.5Z","temperatureC":3,"condition":"rain"})");
        QTest::newRow("offset date") << QByteArray(
            R"({"date":"2025-01-20T12:00:00+00:00","temperatureC":3,"condition":"rain"})");
        QTest::newRow("optional of wrong kind") << ok + R"(,"humidity":"high"})";
        QTest::newRow("two faults: the first field's is reported")
            << QByteArray(R"({"windKph":"x","temperatureC":"3","condition":"rain","date":"2025"})");
        QTest::newRow("two faults in later fields") << QByteArray(
            R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"humidity":"x","condition":"hail"})");
    }
    void strictDecodingFailures() {
        QFETCH(QByteArray, json);
        const auto decoded = decodeDocument<WeatherSample>(json);
        QVERIFY(!decoded);
        QVERIFY(!decoded.error.isEmpty());
        QCOMPARE(decoded.error, sampleByLookups(json).error);
    }

    // Members in any order, unknown ones, nulls for optionals: read as the lookups by key read them.
    void samplesReadAsByLookups_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("every field, reversed") << QByteArray(
            R"({"windKph":12.5,"temperatureC":-3.25,"precipitationProbability":0.4,)"
            R"("precipitationIntensityMmPerHour":1.5,"humidity":0.81,"date":"2025-01-20T12:00:00Z",)"
            R"("condition":"snow","apparentTemperatureC":-7})");
        QTest::newRow("unknown members between")
            << QByteArray(R"({"a":1,"condition":"rain","d":[],"date":"2025-01-20T12:00:00Z","dates":"x",)"
                          R"("temperatureC":3,"zz":null})");
        QTest::newRow("null optionals")
            << QByteArray(R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"condition":"rain",)"
                          R"("humidity":null,"windKph":null})");
        QTest::newRow("a key repeated") << QByteArray(
            R"({"date":"2025-01-20T12:00:00Z","temperatureC":3,"temperatureC":4,"condition":"rain"})");
    }
    void samplesReadAsByLookups() {
        QFETCH(QByteArray, json);
        const auto expected = sampleByLookups(json);
        QVERIFY2(expected, qPrintable(expected.error));
        QCOMPARE(decodeDocument<WeatherSample>(json).value, expected.value);
    }

    void nestedFailuresFailTheWholeRecord_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("malformed uuid") << "locationID" << QJsonValue("0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6");
        QTest::newRow("braced uuid") << "locationID" << QJsonValue("{0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F}");
        QTest::newRow("unknown provider") << "provider" << QJsonValue("accuWeather");
        QTest::newRow("lists missing") << "hourly" << QJsonValue();
    }
    void nestedFailuresFailTheWholeRecord() {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QJsonObject o = forecast().toJson();
        if (value.isUndefined())
            o.remove(key);
        else
            o.insert(key, value);
        QVERIFY(!decodeValue<ProviderForecast>(o));

        QJsonObject alert = forecast().alerts.first().toJson();
        alert.insert("severity", "warning");
        QJsonObject withAlert = forecast().toJson();
        withAlert.insert("alerts", QJsonArray{alert});
        QVERIFY(!decodeValue<ProviderForecast>(withAlert));
    }

    void fractionalAndOutOfRangeIntegersFail() {
        QJsonObject score = ProviderAccuracyScore{WeatherProviderKind::nws, 4, 1.5}.toJson();
        score.insert("samples", 4.5);
        QVERIFY(!decodeValue<ProviderAccuracyScore>(score));
        score.insert("samples", 1e12);
        QVERIFY(!decodeValue<ProviderAccuracyScore>(score));
        score.insert("samples", 4.0);
        QCOMPARE(decodeValue<ProviderAccuracyScore>(score)->samples, 4);
    }

    void roundTrips() {
        const WeatherSample s = sample();
        const QJsonObject o = s.toJson();
        QVERIFY(!o.contains("humidity"));
        QVERIFY(!o.contains("precipitationIntensityMmPerHour"));
        QCOMPARE(decodeValue<WeatherSample>(o).value, s);

        const ProviderForecast f = forecast();
        const auto bytes = encodeDocument(f);
        QVERIFY(bytes);
        QVERIFY(bytes->contains("0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F"));
        QVERIFY(bytes->contains("\"2025-01-20T12:00:00Z\""));
        QCOMPARE(decodeDocument<ProviderForecast>(*bytes).value, f);

        ProviderForecast failed{WeatherProviderKind::openMeteo,
                                kLocationID,
                                kNoon,
                                kNoon,
                                "Open-Meteo",
                                std::nullopt,
                                {},
                                {},
                                {},
                                QStringLiteral("Provider timed out.")};
        const QJsonObject fo = failed.toJson();
        QVERIFY(!fo.contains("current"));
        QCOMPARE(fo["hourly"].toArray().size(), 0);
        QCOMPARE(decodeValue<ProviderForecast>(fo).value, failed);

        const ConsensusForecast c{
            WeatherLocation{kLocationID, "Oslo", "Norway", 59.9, 10.7, false, true, kNoon},
            kNoon,
            s,
            {s},
            f.daily,
            f.alerts,
            3,
            0.82,
            ForecastSpread{2.5, std::nullopt, 0.1},
            "Dry for the next 12 hours.",
            "A · B",
            ConsensusState::partial};
        QCOMPARE(decodeDocument<ConsensusForecast>(*encodeDocument(c)).value, c);
        ConsensusForecast later = c;
        later.generatedAt = later.generatedAt.addSecs(1);
        QVERIFY(later != c);
    }

    // QUrl keeps a raw "#" in the fragment apart from "%23": writing both as "%23" gave back another address.
    void alertAddressesComeBackUnchanged_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "https://example.org/alert?id=1"
                               << "https://example.org/alert?id=1";
        QTest::newRow("encoded hash in fragment") << "h:C#%23"
                                                  << "h:C#%23";
        QTest::newRow("raw hash in fragment") << "h:C##"
                                              << "h:C##";
        QTest::newRow("mixed") << "https://x.org/%FF?|%40##%C3%A9"
                               << "https://x.org/%FF?%7C%40##%C3%A9";
        QTest::newRow("space and accent")
            << QStringLiteral("https://x.org/caf\u00e9 a#b%20c") << "https://x.org/caf%C3%A9%20a#b%20c";
    }
    void alertAddressesComeBackUnchanged() {
        QFETCH(QString, text);
        for (const auto mode : {QUrl::StrictMode, QUrl::TolerantMode}) {
            WeatherAlert alert = forecast().alerts.first();
            alert.sourceURL = QUrl(text, mode);
            if (!alert.sourceURL->isValid())
                continue;
            const QJsonObject o = alert.toJson();
            QTEST(o.value(u"sourceURL").toString(), "written");
            const auto decoded = decodeValue<WeatherAlert>(o);
            QVERIFY2(decoded, qPrintable(decoded.error));
            QCOMPARE(decoded->sourceURL, alert.sourceURL);
            QCOMPARE(decoded->toJson(), o);
        }
    }

    void lowerCaseUUIDsAndNullOptionalsRead() {
        QJsonObject o = forecast().toJson();
        o.insert("locationID", "0f5c2b8e-6c1d-4f0a-9e2b-7d3a1c4b5e6f");
        o.insert("current", QJsonValue::Null);
        o.insert("errorMessage", QJsonValue::Null);
        const auto decoded = decodeValue<ProviderForecast>(o);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(decoded->locationID, kLocationID);
        QVERIFY(!decoded->current);
    }

    void nonFiniteNumbersAreNeverWritten() {
        WeatherSample s = sample();
        s.windKph = std::numeric_limits<double>::infinity();
        QVERIFY(!encodeDocument(s));
        s.windKph = 3;
        s.temperatureC = std::nan("");
        const auto encoded = encodeDocument(s);
        QVERIFY(!encoded);
        QVERIFY(encoded.error.contains("temperatureC"));
        QVERIFY(s != s);
    }

    void datesTheReaderCannotTakeBackAreNeverWritten() {
        // Qt writes an empty text for these; saving one would make the whole snapshot unreadable later.
        for (const QDateTime& date :
             {QDateTime(), QDateTime::fromMSecsSinceEpoch(1000000000000000LL, Qt::UTC),
              QDateTime(QDate(-5, 1, 1), QTime(0, 0), Qt::UTC)}) {
            WeatherSample s = sample();
            s.date = date;
            const auto encoded = encodeDocument(s);
            QVERIFY2(!encoded, qPrintable(date.toString()));
            QVERIFY(encoded.error.contains("date"));
        }
        WeatherSample s = sample();
        s.date = QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
        QCOMPARE(decodeDocument<WeatherSample>(*encodeDocument(s)).value, s);
    }

    void identitiesAndFreshness() {
        ProviderForecast f = forecast();
        QCOMPARE(f.id(), "metNorway-0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F");
        QCOMPARE(f.freshness(kNoon), ForecastFreshness::fresh);
        QCOMPARE(f.freshness(f.expiresAt), ForecastFreshness::fresh);
        QCOMPARE(f.freshness(f.expiresAt.addSecs(1)), ForecastFreshness::stale);
        f.errorMessage = "down";
        QCOMPARE(f.freshness(kNoon), ForecastFreshness::failed);
    }

    void settingsDecodeTolerantly_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<WeatherSettings>("expected");
        const WeatherSettings d;
        QTest::newRow("empty object gives defaults") << QByteArray("{}") << d;
        WeatherSettings confidence = d;
        confidence.showConfidenceInMenuBar = true;
        QTest::newRow("one key") << QByteArray(R"({"showConfidenceInMenuBar":true})") << confidence;
        QTest::newRow("nulls are absent")
            << QByteArray(R"({"showConditionInMenuBar":null,"showConfidenceInMenuBar":null})") << d;
        WeatherSettings onlyOpenMeteo = d;
        onlyOpenMeteo.enabledProviders = {WeatherProviderKind::openMeteo};
        QTest::newRow("retired providers drop")
            << QByteArray(R"({"enabledProviders":["openMeteo","visualCrossing","nws"]})") << onlyOpenMeteo;
        QTest::newRow("unknown providers drop")
            << QByteArray(R"({"enabledProviders":["openMeteo","darkSky"]})") << onlyOpenMeteo;
        WeatherSettings none = d;
        none.enabledProviders = {};
        QTest::newRow("only retired gives empty")
            << QByteArray(R"({"enabledProviders":["pirateWeather"]})") << none;
        QTest::newRow("empty stays empty") << QByteArray(R"({"enabledProviders":[]})") << none;
        WeatherSettings odd = d;
        odd.refreshIntervalMinutes = 0;
        odd.menuBarFontSize = -3;
        odd.menuBarIconSize = 18;
        QTest::newRow("no ranges enforced")
            << QByteArray(R"({"refreshIntervalMinutes":0,"menuBarFontSize":-3,"menuBarIconSize":18})") << odd;
    }
    void settingsDecodeTolerantly() {
        QFETCH(QByteArray, json);
        QFETCH(WeatherSettings, expected);
        const auto decoded = decodeDocument<WeatherSettings>(json);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(*decoded, expected);
        QCOMPARE(qHash(*decoded), qHash(expected));
    }

    void settingsFailOnMalformedValues_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("string interval") << QByteArray(R"({"refreshIntervalMinutes":"30"})");
        QTest::newRow("fractional interval") << QByteArray(R"({"refreshIntervalMinutes":30.5})");
        QTest::newRow("string bool") << QByteArray(R"({"showAlerts":"yes"})");
        QTest::newRow("object for set") << QByteArray(R"({"enabledProviders":{}})");
        QTest::newRow("number in set") << QByteArray(R"({"enabledProviders":[1]})");
        QTest::newRow("unknown unit") << QByteArray(R"({"temperatureUnit":"kelvin"})");
        QTest::newRow("malformed id") << QByteArray(R"({"menuBarLocationID":"nope"})");
    }
    void settingsFailOnMalformedValues() {
        QFETCH(QByteArray, json);
        QVERIFY(!decodeDocument<WeatherSettings>(json));
    }

    void settingsRoundTripAndSetEquality() {
        WeatherSettings s;
        QVERIFY(!s.toJson().contains("menuBarLocationID"));
        QCOMPARE(decodeValue<WeatherSettings>(s.toJson()).value, s);
        s.menuBarLocationID = kLocationID;
        s.temperatureUnit = TemperatureUnit::celsius;
        QCOMPARE(decodeValue<WeatherSettings>(s.toJson()).value, s);
        const auto a = decodeDocument<WeatherSettings>(R"({"enabledProviders":["openMeteo","metNorway"]})");
        const auto b =
            decodeDocument<WeatherSettings>(R"({"enabledProviders":["metNorway","openMeteo","metNorway"]})");
        QCOMPARE(*a, *b);
        QCOMPARE(qHash(*a), qHash(*b));
    }

    void refreshIntervalIsClampedWhereUsed() {
        QCOMPARE(effectiveRefreshIntervalMinutes(0), 15);
        QCOMPARE(effectiveRefreshIntervalMinutes(-5), 15);
        QCOMPARE(effectiveRefreshIntervalMinutes(45), 45);
        QCOMPARE(effectiveRefreshIntervalSeconds(std::numeric_limits<int>::max()), 1440 * 60);
    }

    void iso8601IsStrict() {
        QCOMPARE(iso8601::parse(u"2025-01-20T12:00:00Z"), kNoon);
        for (auto bad : {u"2025-01-20T12:00Z", u"2025-01-20 12:00:00Z", u"2025-01-20T12:00:00",
                         u"2025-02-30T12:00:00Z", u"2025-01-20T12:00:00.000Z", u"2025-01-20T12:00:00+01:00"})
            QVERIFY2(!iso8601::parse(bad), qPrintable(QStringView(bad).toString()));
        QCOMPARE(iso8601::format(kNoon.addMSecs(999)), "2025-01-20T12:00:00Z");
        QCOMPARE(iso8601::format(kNoon.toTimeZone(QTimeZone("Asia/Kolkata"))), "2025-01-20T12:00:00Z");
        // The fraction is dropped: the snapshot keeps whole seconds.
        QCOMPARE(iso8601::parseInternet(u"2025-01-20T13:30:00.250+01:30"), kNoon);
        QCOMPARE(iso8601::parseInternet(u"2025-01-20T12:00:00.999999Z")->time().msec(), 0);
        QCOMPARE(iso8601::parseInternet(u"2025-01-20T12:00Z"), kNoon);
        QVERIFY(!iso8601::parseInternet(u"2025-01-20T12:00"));
    }

    void iso8601AgreesWithQtAcrossTheCalendar() {
        // The writer and the strict reader do their own calendar arithmetic; Qt's ISO form is the reference.
        QRandomGenerator random(23);
        const qint64 first = QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        const qint64 last =
            QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC).toMSecsSinceEpoch();
        QList<qint64> instants{first, last, -1, 0, 999, -86'400'000, 951'782'400'000 /* 2000-02-29 */};
        for (int i = 0; i < 3000; ++i)
            instants.append(first + qint64(random.generateDouble() * double(last - first)));
        const QTimeZone zones[] = {QTimeZone("Asia/Kathmandu"), QTimeZone("America/St_Johns"),
                                   QTimeZone(-3 * 3600 - 1800)};
        for (const qint64 msecs : std::as_const(instants)) {
            const QDateTime utc = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
            const QString expected = iso8601::wholeSeconds(utc).toString(Qt::ISODate);
            QCOMPARE(iso8601::format(utc), expected);
            QCOMPARE(iso8601::format(utc.toTimeZone(zones[msecs & 1 ? 0 : 1])), expected);
            QCOMPARE(iso8601::format(utc.toTimeZone(zones[2])), expected);
            const auto back = iso8601::parse(expected);
            QVERIFY2(back, qPrintable(expected));
            QCOMPARE(*back, iso8601::wholeSeconds(utc));
            QCOMPARE(back->timeSpec(), Qt::UTC);
        }
        QCOMPARE(iso8601::format(QDateTime::fromMSecsSinceEpoch(first - 1, Qt::UTC)), QString());
        QCOMPARE(iso8601::format(QDateTime::fromMSecsSinceEpoch(last + 1, Qt::UTC)), QString());
    }

    void uuidTextIsCanonical() {
        QCOMPARE(uuidText(kLocationID), "0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6F");
        QVERIFY(!parseUUID(u"0F5C2B8E6C1D4F0A9E2B7D3A1C4B5E6F"));
        QVERIFY(!parseUUID(u"0F5C2B8E-6C1D-4F0A-9E2B-7D3A1C4B5E6G"));
        QCOMPARE(parseUUID(u"00000000-0000-0000-0000-000000000000"), QUuid());
    }

    void localCalendarFollowsItsZone() {
        const LocalCalendar kolkata(QTimeZone("Asia/Kolkata"), QLocale(QLocale::English));
        const QDateTime t(QDate(2025, 1, 20), QTime(12, 50, 10), Qt::UTC); // 18:20:10 in Kolkata
        QCOMPARE(kolkata.startOfHour(t), QDateTime(QDate(2025, 1, 20), QTime(12, 30), Qt::UTC));
        QCOMPARE(kolkata.startOfDay(t), QDateTime(QDate(2025, 1, 19), QTime(18, 30), Qt::UTC));
        QVERIFY(!kolkata.isSameDay(t, t.addSecs(6 * 3600)));
        const LocalCalendar berlin(QTimeZone("Europe/Berlin"), QLocale(QLocale::German));
        // Across the spring change a calendar day is 23 hours long.
        const QDateTime beforeDst(QDate(2025, 3, 29), QTime(11, 0), Qt::UTC);
        QCOMPARE(berlin.addDays(beforeDst, 1), beforeDst.addSecs(23 * 3600));
    }
};

QTEST_GUILESS_MAIN(ModelRecordsTest)
#include "tst_model_records.moc"
