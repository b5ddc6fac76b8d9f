#include "LoopbackHTTPServer.h"
#include "OpenMeteoWeatherClient.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using namespace nimbra;
using namespace std::chrono_literals;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC);

QDateTime utc(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2025, 1, day), QTime(hour, minute), Qt::UTC);
}

WeatherLocation place(double latitude = 40.7128, double longitude = -74.006) {
    WeatherLocation location;
    location.id = QUuid::createUuidV5(QUuid(), QStringLiteral("place"));
    location.latitude = latitude;
    location.longitude = longitude;
    return location;
}

// A device far from the place: its wall clock is 14 hours ahead of New York's.
LocalCalendar tokyo() {
    return {QTimeZone("Asia/Tokyo"), QLocale::c()};
}

QByteArray fixture() {
    return testing::readFile(
        testing::testDataPath(QStringLiteral("providers/open-meteo/forecast-new-york.json")));
}

ProviderForecast decode(const QByteArray& body, const QDateTime& now = kNow,
                        const LocalCalendar& cal = tokyo()) {
    return OpenMeteoWeatherClient::forecastFromBody(body, place(), now, cal);
}

void verifyFailed(const ProviderForecast& f, const QString& reasonPart) {
    QVERIFY2(f.errorMessage && f.errorMessage->contains(reasonPart),
             qPrintable(f.errorMessage.value_or("-")));
    QCOMPARE(f.attribution, QStringLiteral("Weather data by Open-Meteo"));
    QCOMPARE(f.issuedAt, f.expiresAt);
    QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty());
}

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)

class OpenMeteoTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    std::shared_ptr<HTTPSession> m_session;

    ProviderForecast fetch(const WeatherLocation& location, CancellationToken cancel = {}) {
        OpenMeteoWeatherClient client({m_session, std::make_shared<ManualClock>(kNow), m_server->baseURL()},
                                      tokyo());
        return testing::runTask(client.forecast(location, std::move(cancel))).value_or(ProviderForecast{});
    }

private Q_SLOTS:
    void init() {
        m_server = new LoopbackHTTPServer(this);
        QVERIFY(m_server->listen());
        m_session = std::make_shared<HTTPSession>();
    }
    void cleanup() {
        m_session.reset();
        delete m_server;
    }

    // A German locale must not turn the coordinates' points into commas.
    void requestsTheForecastWithItsQueryInOrder() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        m_server->route(QStringLiteral("/v1/forecast"), CannedResponse::json(fixture()));

        QCOMPARE(fetch(place(52.52, 13.0)).errorMessage, std::nullopt);

        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest request = m_server->requests().first();
        QCOMPARE(request.path, QStringLiteral("/v1/forecast"));
        const QList<QPair<QString, QString>> expected{
            {"latitude", "52.52"},
            {"longitude", "13.0"},
            {"current", "temperature_2m,relative_humidity_2m,apparent_temperature,precipitation,weather_code,"
                        "cloud_cover,wind_speed_10m"},
            {"hourly", "temperature_2m,relative_humidity_2m,apparent_temperature,precipitation_probability,"
                       "precipitation,weather_code,wind_speed_10m"},
            {"daily",
             "weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max,sunrise,"
             "sunset"},
            {"timezone", "auto"},
            {"forecast_hours", "24"},
            {"forecast_days", "10"},
            {"temperature_unit", "celsius"},
            {"wind_speed_unit", "kmh"},
            {"precipitation_unit", "mm"},
        };
        QCOMPARE(request.query, expected);
        // The default service, and the field lists' commas sent as they are.
        const QByteArray sent =
            OpenMeteoWeatherClient::forecastRequest({}, place(0, -0.1276)).url().toEncoded();
        QVERIFY2(
            sent.startsWith("https://api.open-meteo.com/v1/forecast?latitude=0.0&longitude=-0.1276&current="
                            "temperature_2m,relative_humidity_2m,"),
            sent.constData());
        QCOMPARE(OpenMeteoWeatherClient::coordinateText(0.00001), QStringLiteral("0.00001"));
        QCOMPARE(OpenMeteoWeatherClient::coordinateText(1.0 / 3), QStringLiteral("0.3333333333333333"));
    }

    // The times are New York wall-clock times; the device is in Tokyo.
    void readsTimesInThePlacesZoneNotTheDevices() {
        const ProviderForecast f = decode(fixture());

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.expiresAt, kNow.addSecs(1800));
        QCOMPARE(f.current->date, utc(20, 14, 15));
        QCOMPARE(f.current->humidity, 0.65);
        QCOMPARE(f.current->precipitationProbability, 0.7);
        // 08:00 lies before the current hour; 10:00 has no temperature.
        const QList<QDateTime> hours{utc(20, 14), utc(20, 16), utc(20, 17), utc(20, 18)};
        for (qsizetype i = 0; i < std::min(f.hourly.size(), hours.size()); ++i)
            QCOMPARE(f.hourly[i].date, hours[i]);
        QCOMPARE(f.hourly.size(), hours.size());
        QCOMPARE(f.hourly[1].humidity, std::nullopt); // null
        QCOMPARE(f.hourly[2].windKph, std::nullopt);  // beyond the shorter list
        QCOMPARE(f.hourly[3].precipitationProbability, std::nullopt);
        // Days are the device's calendar days of the dates given; the third has no weather code.
        QCOMPARE(f.daily.size(), 2);
        QCOMPARE(f.daily[0].date, QDateTime(QDate(2025, 1, 19), QTime(15, 0), Qt::UTC));
        QCOMPARE(f.daily[0].sunrise, utc(20, 12, 16));
        QCOMPARE(f.daily[1].sunset, utc(21, 22, 2));
    }

    // Berlin moves its clocks forward at 01:00 UTC on 30 March 2025; the answer's offset is the one before.
    void hoursAfterADaylightSavingChangeFollowTheZone() {
        const QByteArray body = R"({"utc_offset_seconds":3600,"timezone":"Europe/Berlin","hourly":{
            "time":["2025-03-30T01:00","2025-03-30T03:00","2025-03-30T04:00"],
            "temperature_2m":[1,2,3],"weather_code":[0,0,0]}})";
        const QDateTime before(QDate(2025, 3, 29), QTime(23, 30), Qt::UTC);
        const ProviderForecast f = decode(body, before);
        QCOMPARE(f.errorMessage, std::nullopt);
        const QList<QDateTime> expected{QDateTime(QDate(2025, 3, 30), QTime(0, 0), Qt::UTC),
                                        QDateTime(QDate(2025, 3, 30), QTime(1, 0), Qt::UTC),
                                        QDateTime(QDate(2025, 3, 30), QTime(2, 0), Qt::UTC)};
        QCOMPARE(f.hourly.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(f.hourly[i].date, expected[i]);
    }

    void leavesOutOnlyWhatIsMissing_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("hours");
        QTest::addColumn<bool>("hasCurrent");
        const auto doc = [](const char* current, const char* times, const char* temperatures,
                            const char* codes) {
            return QByteArray(R"({"utc_offset_seconds":0,"current":)") + current + R"(,"hourly":{"time":)" +
                   times + R"(,"temperature_2m":)" + temperatures + R"(,"weather_code":)" + codes + "}}";
        };
        const char* now =
            R"({"time":"2025-01-20T14:15","temperature_2m":1,"precipitation":0,"weather_code":3})";
        const char* times = R"(["2025-01-20T14:00","2025-01-20T15:00","2025-01-20T16:00"])";
        QTest::newRow("complete") << doc(now, times, "[1,2,3]", "[0,1,2]") << 3 << true;
        QTest::newRow("null temperature") << doc(now, times, "[1,null,3]", "[0,1,2]") << 2 << true;
        QTest::newRow("null code") << doc(now, times, "[1,2,3]", "[0,1,null]") << 2 << true;
        QTest::newRow("impossible date, seconds, null time")
            << doc(now, R"(["2025-02-30T14:00","2025-01-20T15:00:00",null])", "[1,2,3]", "[0,1,2]") << 0
            << true;
        QTest::newRow("shorter temperatures") << doc(now, times, "[1,2]", "[0,1,2]") << 2 << true;
        QTest::newRow("current without temperature")
            << doc(R"({"time":"2025-01-20T14:15","temperature_2m":null,"precipitation":0,"weather_code":3})",
                   times, "[1,2,3]", "[0,1,2]")
            << 3 << false;
        // Its time is unknown: "now" would be a made-up time.
        QTest::newRow("current at an unreadable time")
            << doc(R"({"time":"soon","temperature_2m":1,"precipitation":0,"weather_code":3})", times,
                   "[1,2,3]", "[0,1,2]")
            << 3 << false;
        QTest::newRow("empty object") << QByteArray("{}") << 0 << false;
    }
    void leavesOutOnlyWhatIsMissing() {
        QFETCH(QByteArray, body);
        QFETCH(int, hours);
        QFETCH(bool, hasCurrent);
        const ProviderForecast f = decode(body);
        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.hourly.size(), hours);
        QCOMPARE(f.current.has_value(), hasCurrent);
    }

    void unreadableDocumentsFailWithTheirReason_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << "Invalid JSON";
        QTest::newRow("no times") << QByteArray(R"({"hourly":{"temperature_2m":[1],"weather_code":[1]}})")
                                  << R"(hourly: Missing key "time")";
        QTest::newRow("fractional weather code")
            << QByteArray(
                   R"({"hourly":{"time":["2025-01-20T14:00"],"temperature_2m":[1],"weather_code":[1.5]}})")
            << "weather_code";
        QTest::newRow("offset of days")
            << QByteArray(R"({"utc_offset_seconds":900000})") << "utc_offset_seconds";
    }
    void unreadableDocumentsFailWithTheirReason() {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        verifyFailed(decode(body), reason);
    }

    void failingAnswersBecomeFailedForecasts_data() {
        QTest::addColumn<CannedResponse>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("429 without message")
            << CannedResponse::json("{}", 429) << "Provider returned HTTP 429.";
        QTest::newRow("401 with message") << CannedResponse::json(R"({"message":"Invalid API key"})", 401)
                                          << "Provider returned HTTP 401: Invalid API key";
        QTest::newRow("400 with Open-Meteo's reason")
            << CannedResponse::json(R"({"error":true,"reason":"Latitude must be in range of -90 to 90°."})",
                                    400)
            << "Provider returned HTTP 400: Latitude must be in range of -90 to 90°.";
    }
    void failingAnswersBecomeFailedForecasts() {
        QFETCH(CannedResponse, answer);
        QFETCH(QString, message);
        m_server->route(QStringLiteral("/v1/forecast"), answer);
        const ProviderForecast f = fetch(place());
        QCOMPARE(f.errorMessage.value_or(QString()), message);
        verifyFailed(f, message);
        QCOMPARE(f.issuedAt, kNow);
    }

    void cancellationEndsTheRequest() {
        m_server->route(QStringLiteral("/v1/forecast"), CannedResponse::stalled());
        const CancellationToken cancel = makeCancellation();
        QTimer::singleShot(50ms, cancel.get(), &Cancellation::cancel);
        verifyFailed(fetch(place(), cancel), QStringLiteral("cancelled"));
    }

    // The recorded answer was asked for other fields than ours: without weather codes it cannot make samples.
    // With codes added, every hour and day of it maps, read in the place's own zone.
    void realDocument() {
        NIMBRA_READ_TEST_DATA(
            recorded,
            QStringLiteral("providers/open-meteo/forecast-288h-past-days-lac-mann-2025-01-20.json"));
        const QDateTime now(QDate(2025, 1, 21), QTime(3, 5), Qt::UTC); // 22:05 at the place
        const LocalCalendar utcCalendar(QTimeZone::utc(), QLocale::c());

        verifyFailed(decode(recorded, now, utcCalendar),
                     QStringLiteral(R"(hourly: Missing key "weather_code")"));

        QJsonObject root = QJsonDocument::fromJson(recorded).object();
        for (const QString& block :
             {QStringLiteral("hourly"), QStringLiteral("daily"), QStringLiteral("current")}) {
            QJsonObject o = root.value(block).toObject();
            const qsizetype n = o.value(QStringLiteral("time")).toArray().size();
            o.insert(QStringLiteral("weather_code"),
                     block == u"current" ? QJsonValue(71) : QJsonArray::fromVariantList(QVariantList(n, 3)));
            root.insert(block, o);
        }
        const ProviderForecast f = decode(QJsonDocument(root).toJson(), now, utcCalendar);
        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.current->date, QDateTime(QDate(2025, 1, 21), QTime(3, 0), Qt::UTC));
        QCOMPARE(f.hourly.size(), 288 - (5 * 24 + 22));
        QCOMPARE(f.hourly.first().date, QDateTime(QDate(2025, 1, 21), QTime(3, 0), Qt::UTC));
        QCOMPARE(f.daily.size(), 12);
        QCOMPARE(f.daily.first().sunrise, QDateTime(QDate(2025, 1, 15), QTime(12, 51), Qt::UTC));
    }
};

QTEST_GUILESS_MAIN(OpenMeteoTest)
#include "tst_openmeteo.moc"
