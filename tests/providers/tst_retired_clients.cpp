#include "LoopbackHTTPServer.h"
#include "TestSupport.h"
#include "UUIDText.h"
#include "VisualCrossingMapping.h"
#include "VisualCrossingWeatherClient.h"
#include "WeatherAPIMapping.h"
#include "WeatherAPIWeatherClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace nimbra;
using nimbra::testing::runTask;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC);
const QString kKey = QStringLiteral("retired-key-42");

QDateTime utc(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2025, 1, day), QTime(hour, minute), Qt::UTC);
}

WeatherLocation place(double latitude, double longitude) {
    WeatherLocation location;
    location.id = *parseUUID(u"5D6E7F80-9A1B-4C2D-8E3F-405162738495");
    location.latitude = latitude;
    location.longitude = longitude;
    return location;
}

LocalCalendar calendarIn(const char* zone) {
    return {QTimeZone(zone), QLocale::c()};
}

QByteArray data(const QString& name) {
    return testing::readFile(testing::testDataPath("providers/" + name));
}

// Alerts get a fresh identity on every refresh; everything else is compared.
WeatherAlert withoutID(WeatherAlert alert) {
    alert.id = QUuid();
    return alert;
}

} // namespace

class RetiredClientsTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    std::shared_ptr<HTTPSession> m_session;

    ProviderHTTPContext context() {
        return {m_session, std::make_shared<ManualClock>(kNow), m_server->baseURL()};
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

    void visualCrossingRequestsAndMaps() {
        const QString path = QStringLiteral("/VisualCrossingWebServices/rest/services/timeline/51.5,-0.12");
        m_server->route(path, CannedResponse::json(data("visual-crossing/timeline-london.json")));
        VisualCrossingWeatherClient client(context(), kKey, calendarIn("UTC"));

        const ProviderForecast f =
            runTask(client.forecast(place(51.5, -0.12), {})).value_or(ProviderForecast{});

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(m_server->requests(path).size(), 1);
        const QList<QPair<QString, QString>> query{{"unitGroup", "metric"},
                                                   {"include", "current,hours,days,alerts"},
                                                   {"contentType", "json"},
                                                   {"key", kKey}};
        QCOMPARE(m_server->requests(path).first().query, query);

        QCOMPARE(f.attribution, QStringLiteral("Weather data by Visual Crossing"));
        QCOMPARE(f.expiresAt, kNow.addSecs(1800));
        const WeatherSample current{
            utc(20, 14, 15), 6.4, 4.0, 0.65, 14.8, WeatherCondition::partlyCloudy, 0.4, std::nullopt};
        QCOMPARE(f.current, current);
        // Hours before the current one are gone; the current hour stays although it began before now.
        QCOMPARE(f.hourly.size(), 3);
        const WeatherSample hour{utc(20, 14), 7.5, std::nullopt, 0.7, 12.0, WeatherCondition::rain, 0.1, 0.2};
        QCOMPARE(f.hourly[0], hour);
        QCOMPARE(f.hourly[1].condition, WeatherCondition::cloudy); // "Partially cloudy" has no "partly"
        QCOMPARE(f.hourly[2].date, utc(21, 0));
        QCOMPARE(f.daily.size(), 3);
        const DailyForecast day{utc(20, 0), 8.1,          2.2,         WeatherCondition::rain,
                                0.55,       std::nullopt, std::nullopt};
        QCOMPARE(f.daily[0], day);
        QCOMPARE(f.daily[2].condition, WeatherCondition::snow);
        QCOMPARE(f.daily[2].precipitationProbability, std::nullopt);

        QCOMPARE(f.alerts.size(), 3);
        QVERIFY(!f.alerts[0].id.isNull() && f.alerts[0].id != f.alerts[1].id);
        const auto alert = [](const QString& title, const QString& summary, WeatherAlertSeverity severity,
                              const QDateTime& from, const QDateTime& to) {
            return WeatherAlert{{}, WeatherProviderKind::visualCrossing, title, summary, severity, from, to,
                                {}};
        };
        QCOMPARE(withoutID(f.alerts[0]), alert("Wind warning", "Gusts of 70 km/h.",
                                               WeatherAlertSeverity::severe, utc(20, 13), utc(21, 0)));
        QCOMPARE(withoutID(f.alerts[1]), alert("Flood alert", "Flood alert", WeatherAlertSeverity::moderate,
                                               kNow, kNow.addSecs(3600)));
        QCOMPARE(withoutID(f.alerts[2]),
                 alert("Weather alert", "", WeatherAlertSeverity::moderate, kNow, kNow.addSecs(3600)));
    }

    // A user west of London still has the day before at London's midnight: each day is the place's own date,
    // starting at the user's midnight, as every provider's days do.
    void visualCrossingDaysAreThePlacesDates() {
        const auto response =
            decodeDocument<VisualCrossingResponse>(data("visual-crossing/timeline-london.json"));
        QVERIFY2(response, qPrintable(response.error));
        const LocalCalendar losAngeles = calendarIn("America/Los_Angeles");
        const auto f = visualcrossing::makeForecast(*response, place(51.5, -0.12), kNow, losAngeles);
        QCOMPARE(f.daily.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.daily[i].date, utc(20 + i, 8));
    }

    // Without its date text a day is only the place's midnight as an instant; the answer's offset (hours,
    // possibly fractional) names the place's date, which then starts at the user's midnight.
    void visualCrossingUndatedDaysUseTheAnswersOffset_data() {
        QTest::addColumn<QJsonValue>("tzoffset");
        QTest::addColumn<QDateTime>("placeMidnight");
        QTest::addColumn<QByteArray>("userZone");
        QTest::addColumn<QDateTime>("start");
        QTest::newRow("India, user west of it")
            << QJsonValue(5.5) << utc(19, 18, 30) << QByteArray("America/Los_Angeles") << utc(20, 8);
        QTest::newRow("Samoa, user east of UTC")
            << QJsonValue(13) << utc(19, 11) << QByteArray("Europe/Berlin") << utc(19, 23);
        QTest::newRow("Los Angeles, the day after the clock change, answer from before it")
            << QJsonValue(-8) << QDateTime(QDate(2025, 3, 10), QTime(7, 0), Qt::UTC)
            << QByteArray("Pacific/Honolulu") << QDateTime(QDate(2025, 3, 10), QTime(10, 0), Qt::UTC);
        QTest::newRow("no offset: read in the user's calendar")
            << QJsonValue(QJsonValue::Undefined) << utc(20, 0) << QByteArray("Europe/Berlin") << utc(19, 23);
        QTest::newRow("offset beyond a day ignored")
            << QJsonValue(1e6) << utc(20, 0) << QByteArray("Europe/Berlin") << utc(19, 23);
    }

    void visualCrossingUndatedDaysUseTheAnswersOffset() {
        QFETCH(QJsonValue, tzoffset);
        QFETCH(QDateTime, placeMidnight);
        QFETCH(QByteArray, userZone);
        QJsonObject document = QJsonDocument::fromJson(data("visual-crossing/timeline-london.json")).object();
        document.remove(u"tzoffset");
        if (!tzoffset.isUndefined())
            document.insert(u"tzoffset", tzoffset);
        QJsonObject day = document.value(u"days").toArray().first().toObject();
        day.remove(u"datetime");
        day.insert(u"datetimeEpoch", double(placeMidnight.toSecsSinceEpoch()));
        document.insert(u"days", QJsonArray{day});

        const auto response = decodeDocument<VisualCrossingResponse>(QJsonDocument(document).toJson());
        QVERIFY2(response, qPrintable(response.error));
        const auto f = visualcrossing::makeForecast(*response, place(51.5, -0.12), kNow,
                                                    calendarIn(userZone.constData()));
        QCOMPARE(f.daily.size(), 1);
        QTEST(f.daily.first().date, "start");
    }

    // West of UTC, the UTC midnight that WeatherAPI.com gives for a day falls on the previous local day.
    void weatherAPIRequestsAndMaps() {
        const QString path = QStringLiteral("/v1/forecast.json");
        m_server->route(path, CannedResponse::json(data("weatherapi/forecast-regina.json")));
        WeatherAPIWeatherClient client(context(), kKey, calendarIn("America/Regina"));

        const ProviderForecast f =
            runTask(client.forecast(place(40.7128, -74.006), {})).value_or(ProviderForecast{});

        QCOMPARE(f.errorMessage, std::nullopt);
        const QList<QPair<QString, QString>> query{
            {"key", kKey}, {"q", "40.7128,-74.006"}, {"days", "10"}, {"aqi", "no"}, {"alerts", "yes"}};
        QCOMPARE(m_server->requests(path).value(0).query, query);

        QCOMPARE(f.attribution, QStringLiteral("Weather data by WeatherAPI.com"));
        const WeatherSample current{utc(20, 14, 15),        -21.5, -30.2, 0.7, 18.4,
                                    WeatherCondition::rain, 0.7,   0.1};
        QCOMPARE(f.current, current);
        QCOMPARE(f.hourly.size(), 2);
        const WeatherSample hour{utc(20, 14), -22.0, -29.0, 0.7, 15.1, WeatherCondition::snow, 0.85, 0.0};
        QCOMPARE(f.hourly[0], hour);
        QCOMPARE(f.hourly[1].condition, WeatherCondition::unknown); // a code without a text
        QCOMPARE(f.daily.size(), 2);
        const DailyForecast day{utc(20, 6), -15.0, -24.0, WeatherCondition::partlyCloudy, 0.0, {}, {}};
        QCOMPARE(f.daily[0], day);
        QCOMPARE(f.daily[1].date, utc(21, 6));

        QCOMPARE(f.alerts.size(), 2);
        const WeatherAlert extreme{{},
                                   WeatherProviderKind::weatherAPI,
                                   "Extreme cold",
                                   "Wind chill near -45.",
                                   WeatherAlertSeverity::extreme,
                                   utc(20, 12),
                                   utc(21, 12),
                                   {}};
        QCOMPARE(withoutID(f.alerts[0]), extreme);
        // Empty texts count as missing; unreadable times run from now for an hour.
        const WeatherAlert statement{{},
                                     WeatherProviderKind::weatherAPI,
                                     "Snowfall statement",
                                     "",
                                     WeatherAlertSeverity::moderate,
                                     kNow,
                                     kNow.addSecs(3600),
                                     {}};
        QCOMPARE(withoutID(f.alerts[1]), statement);
    }

    // Both services take the key in the query; an error text must not carry it on.
    void failures_data() {
        QTest::addColumn<bool>("visualCrossing");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("VC plain-text error")
            << true << QByteArray("Bad API key retired-key-42") << 401 << "Provider returned HTTP 401.";
        QTest::newRow("WeatherAPI echoing the key")
            << false << QByteArray(R"({"message":"Key retired-key-42 is disabled."})") << 403
            << "Provider returned HTTP 403: Key <API key> is disabled.";
        QTest::newRow("WeatherAPI chance of rain as text")
            << false
            << QByteArray(
                   R"({"forecast":{"forecastday":[{"date_epoch":0,"hour":[],)"
                   R"("day":{"maxtemp_c":1,"mintemp_c":0,"daily_chance_of_rain":"0","condition":{}}}]}})")
            << 200 << R"(The forecast could not be read: Expected a number for "daily_chance_of_rain")";
    }
    void failures() {
        QFETCH(bool, visualCrossing);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, error);
        std::unique_ptr<WeatherProviderClient> client;
        if (visualCrossing) {
            m_server->route(QStringLiteral("/VisualCrossingWebServices/rest/services/timeline/1.0,2.0"),
                            CannedResponse::json(body, status));
            client = std::make_unique<VisualCrossingWeatherClient>(context(), kKey);
        } else {
            m_server->route(QStringLiteral("/v1/forecast.json"), CannedResponse::json(body, status));
            client = std::make_unique<WeatherAPIWeatherClient>(context(), kKey);
        }

        const ProviderForecast f = runTask(client->forecast(place(1, 2), {})).value_or(ProviderForecast{});

        QCOMPARE(f.errorMessage, error);
        QCOMPARE(f.expiresAt, kNow);
        QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty() && f.alerts.isEmpty());
    }

    // Recorded answers, with trailing blanks in condition texts and a date_epoch at UTC midnight.
    void weatherAPIRealDocuments_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("days");
        QTest::newRow("Maringa") << "forecast-maringa-no-moonset-2025-02-05.json"
                                 << QByteArray("America/Sao_Paulo") << 3;
        QTest::newRow("Regina") << "forecast-regina-5day-2025-02-05.json" << QByteArray("America/Regina")
                                << 5;
    }
    void weatherAPIRealDocuments() {
        QFETCH(QString, name);
        QFETCH(QByteArray, zone);
        QFETCH(int, days);
        NIMBRA_READ_TEST_DATA(recorded, "providers/weatherapi/" + name);
        const auto response = decodeDocument<WeatherAPIResponse>(recorded);
        QVERIFY2(response, qPrintable(response.error));
        const QJsonObject root = QJsonDocument::fromJson(recorded).object();
        const auto now =
            QDateTime::fromSecsSinceEpoch(root["location"]["localtime_epoch"].toInteger(), Qt::UTC);
        const LocalCalendar calendar = calendarIn(zone.constData());

        const auto f = weatherapi::makeForecast(*response, place(0, 0), now, calendar);

        QVERIFY(f.current);
        QCOMPARE(f.hourly.size(), 24);
        QCOMPARE(f.hourly.first().date, calendar.startOfHour(now));
        QCOMPARE(f.daily.size(), days);
        const QJsonArray forecastDays = root["forecast"]["forecastday"].toArray();
        for (qsizetype i = 0; i < f.daily.size(); ++i) {
            const QDate date = QDate::fromString(forecastDays[i]["date"].toString(), Qt::ISODate);
            QCOMPARE(calendar.toLocal(f.daily[i].date), date.startOfDay(calendar.timeZone()));
            QVERIFY2(f.daily[i].condition != WeatherCondition::unknown, qPrintable(name));
        }
        for (const WeatherSample& s : f.hourly)
            QVERIFY(s.condition != WeatherCondition::unknown && s.precipitationProbability);
        QVERIFY(encodeDocument(f));
    }
};

QTEST_GUILESS_MAIN(RetiredClientsTest)
#include "tst_retired_clients.moc"
