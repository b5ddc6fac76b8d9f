#include "LoopbackHTTPServer.h"
#include "OpenWeatherMapping.h"
#include "OpenWeatherWeatherClient.h"
#include "TestSupport.h"
#include "UUIDText.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>

using namespace nimbra;
using namespace std::chrono_literals;
using nimbra::testing::runTask;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC);
// Characters that mean something in a query string: the service must still receive the key exactly.
const QString kKey = QStringLiteral("k3y+with&odd=chars");

const QString kCurrent = QStringLiteral("/data/4.0/onecall/current");
const QString kHourly = QStringLiteral("/data/4.0/onecall/timeline/1h");
const QString kDaily = QStringLiteral("/data/4.0/onecall/timeline/1day");
const QString kFreeCurrent = QStringLiteral("/data/2.5/weather");
const QString kFreeForecast = QStringLiteral("/data/2.5/forecast");

WeatherLocation london() {
    WeatherLocation location;
    location.id = *parseUUID(u"3E1B7C55-0A2D-4F6E-8B19-5C4D2A7E9F01");
    location.name = QStringLiteral("London");
    location.latitude = 51.5074;
    location.longitude = -0.1278;
    return location;
}

LocalCalendar utcCalendar() {
    return {QTimeZone::utc(), QLocale::c()};
}

QByteArray data(const QString& name) {
    return testing::readFile(QFINDTESTDATA("../data/providers/openweather/" + name));
}

CannedResponse refusal(int status, const QByteArray& message) {
    return CannedResponse::json(
        R"({"cod":)" + QByteArray::number(status) + R"(,"message":")" + message + "\"}", status);
}

const QByteArray kNoOneCall = "Please note that using one call 4.0 requires a separate subscription";

QList<QPair<QString, QString>> locationItems() {
    return {{"lat", "51.5074"}, {"lon", "-0.1278"}, {"appid", kKey}, {"units", "metric"}};
}

template <typename T> T decoded(const QByteArray& json) {
    const auto result = decodeDocument<T>(json);
    if (!result)
        qWarning() << result.error;
    return result.value.value_or(T{});
}

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)

class OpenWeatherTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    std::shared_ptr<HTTPSession> m_session;

    ProviderForecast fetch(CancellationToken cancel = {}) {
        OpenWeatherWeatherClient client({m_session, std::make_shared<ManualClock>(kNow), m_server->baseURL()},
                                        kKey, utcCalendar());
        return runTask(client.forecast(london(), std::move(cancel))).value_or(ProviderForecast{});
    }

    void routeOneCall() {
        m_server->route(kCurrent, CannedResponse::json(data("onecall-current.json")));
        m_server->route(kHourly, CannedResponse::json(data("onecall-hourly.json")));
        m_server->route(kDaily, CannedResponse::json(data("onecall-daily.json")));
    }

    void routeFree() {
        m_server->route(kFreeCurrent, CannedResponse::json(data("weather.json")));
        m_server->route(kFreeForecast, CannedResponse::json(data("forecast.json")));
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
    void oneCallAsksThreeTimelinesAndMapsThem() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        routeOneCall();

        const ProviderForecast f = fetch();

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(m_server->requests().size(), 3);
        QCOMPARE(m_server->requests(kCurrent).value(0).query, locationItems());
        QCOMPARE(m_server->requests(kHourly).value(0).query, locationItems() << qMakePair("cnt", "24"));
        QCOMPARE(m_server->requests(kDaily).value(0).query, locationItems() << qMakePair("cnt", "10"));
        QVERIFY(m_server->requests(kCurrent).value(0).header("Accept") != "application/json");

        QCOMPARE(f.attribution, QStringLiteral("Weather data by OpenWeather"));
        QCOMPARE(f.issuedAt, kNow);
        QCOMPARE(f.expiresAt, kNow.addSecs(1800));
        const WeatherSample current{kNow,         6.2, 3.9, 0.81, 4.5 * 3.6, WeatherCondition::rain,
                                    std::nullopt, 0.4};
        QCOMPARE(f.current, current);
        QCOMPARE(f.hourly.size(), 2);
        QCOMPARE(f.hourly[0].precipitationProbability, 0.6);
        QCOMPARE(f.hourly[1].condition, WeatherCondition::cloudy);
        QCOMPARE(f.hourly[1].apparentTemperatureC, std::nullopt);
        QCOMPARE(f.daily.size(), 2);
        const DailyForecast first{QDateTime(QDate(2025, 1, 20), QTime(12, 0), Qt::UTC),
                                  7.8,
                                  2.5,
                                  WeatherCondition::heavyRain,
                                  0.8,
                                  QDateTime::fromSecsSinceEpoch(1737359743, Qt::UTC),
                                  QDateTime::fromSecsSinceEpoch(1737390926, Qt::UTC)};
        QCOMPARE(f.daily[0], first);
        QCOMPARE(f.daily[1].highC, 8.5);
        QCOMPARE(f.daily[1].lowC, 1.0);
    }

    // Only a 401 whose message names One Call means "no subscription": then the free API answers instead.
    void fallBack_data() {
        QTest::addColumn<CannedResponse>("current");
        QTest::addColumn<CannedResponse>("daily");
        QTest::addColumn<CannedResponse>("freeForecast");
        QTest::addColumn<bool>("asksFreeAPI");
        QTest::addColumn<QString>("error");
        const auto ok = CannedResponse::json(data("onecall-daily.json"));
        const auto current = CannedResponse::json(data("onecall-current.json"));
        const auto free = CannedResponse::json(data("forecast.json"));
        const QString none;

        QTest::newRow("401 naming one call in lower case")
            << refusal(401, kNoOneCall) << ok << free << true << none;
        QTest::newRow("401 from the days while the current succeeds")
            << current << refusal(401, "One Call 4.0 is not part of your plan") << free << true << none;
        QTest::newRow("401 with the words run together")
            << refusal(401, "OneCall needs a plan") << ok << free << false
            << "Provider returned HTTP 401: OneCall needs a plan";
        QTest::newRow("401 that is not JSON") << CannedResponse::text("Unauthorized", 401) << ok << free
                                              << false << "Provider returned HTTP 401.";
        QTest::newRow("403 naming one call")
            << refusal(403, kNoOneCall) << ok << free << false
            << "Provider returned HTTP 403: " + QString::fromLatin1(kNoOneCall);
        QTest::newRow("the free API refuses too")
            << refusal(401, kNoOneCall) << ok << refusal(401, "Invalid API key") << true
            << "Provider returned HTTP 401: Invalid API key";
        QTest::newRow("undecodable current")
            << CannedResponse::json(R"({"data":[{"dt":1737382800,"weather":[]}]})") << ok << free << false
            << R"(The forecast could not be read: Missing key "temp")";
    }
    void fallBack() {
        QFETCH(CannedResponse, current);
        QFETCH(CannedResponse, daily);
        QFETCH(CannedResponse, freeForecast);
        QFETCH(bool, asksFreeAPI);
        QFETCH(QString, error);
        routeOneCall();
        routeFree();
        m_server->route(kCurrent, current);
        m_server->route(kDaily, daily);
        m_server->route(kFreeForecast, freeForecast);

        const ProviderForecast f = fetch();

        QCOMPARE(m_server->requests(kFreeCurrent).size(), asksFreeAPI ? 1 : 0);
        QCOMPARE(m_server->requests(kFreeForecast).size(), asksFreeAPI ? 1 : 0);
        if (asksFreeAPI) {
            QCOMPARE(m_server->requests(kFreeForecast).first().query, locationItems());
        }
        if (error.isEmpty()) {
            QCOMPARE(f.errorMessage, std::nullopt);
            QCOMPARE(f.current->condition, WeatherCondition::cloudy); // from the free current answer
            QCOMPARE(f.current->precipitationProbability, std::nullopt);
            QCOMPARE(f.hourly.size(), 3);
        } else {
            QCOMPARE(f.errorMessage, error);
            QCOMPARE(f.attribution, QStringLiteral("Weather data by OpenWeather"));
            QCOMPARE(f.expiresAt, kNow);
            QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty());
        }
    }

    // A refused current stops the two timelines still waiting, then the free API answers.
    void aRefusalStopsTheSiblingRequests() {
        routeFree();
        m_server->route(kCurrent, refusal(401, kNoOneCall).delayed(100ms));
        m_server->route(kHourly, CannedResponse::stalled());
        m_server->route(kDaily, CannedResponse::stalled());
        QElapsedTimer timer;
        timer.start();

        const ProviderForecast f = fetch();

        QCOMPARE(f.errorMessage, std::nullopt);
        QVERIFY(timer.elapsed() < 10'000);
        QTRY_COMPARE(m_server->openConnections(), 0);
    }

    // When the pipeline gives up, every pending request of the client is aborted and nothing new starts.
    void cancellationAbortsEveryRequest() {
        m_server->route(kCurrent, refusal(401, kNoOneCall).delayed(60s));
        m_server->route(kHourly, CannedResponse::stalled());
        m_server->route(kDaily, CannedResponse::stalled());
        routeFree();
        const CancellationToken cancel = makeCancellation();
        QTimer::singleShot(200ms, cancel.get(), &Cancellation::cancel);
        QElapsedTimer timer;
        timer.start();

        const ProviderForecast f = fetch(cancel);

        // Far below the refusal's delay: the client stopped waiting, even on a loaded machine.
        QVERIFY(timer.elapsed() < 30'000);
        QCOMPARE(f.errorMessage, QStringLiteral("cancelled"));
        QTRY_COMPARE(m_server->openConnections(), 0);
        QCOMPARE(m_server->requests(kFreeCurrent).size(), 0);
    }

    // The key rides in the query string; a service that echoes it must not carry it into the forecast.
    void theKeyNeverReachesTheForecast() {
        routeOneCall();
        m_server->route(kCurrent, refusal(401, "Invalid API key " + kKey.toLatin1() + " for " +
                                                   QUrl::toPercentEncoding(kKey)));

        const ProviderForecast f = fetch();

        QVERIFY(f.errorMessage);
        QVERIFY2(!f.errorMessage->contains(kKey), qPrintable(*f.errorMessage));
        QVERIFY(!f.errorMessage->contains(QString::fromLatin1(QUrl::toPercentEncoding(kKey))));
        QVERIFY(!encodeDocument(f).value->contains(kKey.toUtf8()));
        QVERIFY(f.errorMessage->startsWith(QStringLiteral("Provider returned HTTP 401: Invalid API key")));
    }

    void dayTemperatures_data() {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("low");
        QTest::newRow("range object")
            << QByteArray(R"("temp":{"day":9,"min":3.5,"max":11.0})") << true << 11.0 << 3.5;
        QTest::newRow("one number") << QByteArray(R"("temp":12.3)") << true << 12.3 << 12.3;
        QTest::newRow("number with bounds")
            << QByteArray(R"("temp":12.3,"temp_min":9.0,"temp_max":14.0)") << true << 14.0 << 9.0;
        QTest::newRow("object without max, bounds beside")
            << QByteArray(R"("temp":{"min":1},"temp_min":2.0,"temp_max":4.0)") << true << 4.0 << 2.0;
        QTest::newRow("no temperature at all") << QByteArray(R"("pop":0.2)") << false << 0.0 << 0.0;
        QTest::newRow("only a high") << QByteArray(R"("temp_max":4.0,"temp":"warm")") << false << 0.0 << 0.0;
    }
    void dayTemperatures() {
        QFETCH(QByteArray, members);
        QFETCH(bool, kept);
        QFETCH(double, high);
        QFETCH(double, low);
        const auto day = decoded<OpenWeatherDay>(R"({"dt":1737374400,"weather":"rain",)" + members + "}");

        const auto mapped = openweather::dailyForecast(day);

        QCOMPARE(mapped.has_value(), kept);
        if (kept) {
            QCOMPARE(mapped->highC, high);
            QCOMPARE(mapped->lowC, low);
            QCOMPARE(mapped->condition, WeatherCondition::unknown);
        }
    }

    void pointValues() {
        const auto point = [](const QByteArray& members) {
            return openweather::sample(
                decoded<OpenWeatherPoint>(R"({"dt":1737382800,"temp":5,"weather":[],)" + members + "}"));
        };
        const auto s =
            point(R"("humidity":55,"wind_speed":10,"pop":0.4,"rain":{"1h":0.6},"snow":{"1h":1.2})");
        QCOMPARE(s->humidity, 0.55);
        QCOMPARE(s->windKph, 36.0);
        QCOMPARE(s->precipitationProbability, 0.4);
        QCOMPARE(s->precipitationIntensityMmPerHour, 0.6);
        QCOMPARE(s->condition, WeatherCondition::unknown);
        QCOMPARE(point(R"("snow":{"1h":1.2})")->precipitationIntensityMmPerHour, 1.2);
        QCOMPARE(point(R"("rain":{"3h":2.0})")->precipitationIntensityMmPerHour, std::nullopt);
        // Valid JSON, absurd value: the product is not finite and must not reach the snapshot.
        QCOMPARE(point(R"("wind_speed":1e308)")->windKph, std::nullopt);
        // Milliseconds where seconds belong: a year no saved date can be written in, so no sample and no day.
        QCOMPARE(
            openweather::sample(decoded<OpenWeatherPoint>(R"({"dt":1737382800000,"temp":5,"weather":[]})")),
            std::nullopt);
        QCOMPARE(openweather::dailyForecast(decoded<OpenWeatherDay>(R"({"dt":1737374400000,"temp":5})")),
                 std::nullopt);
        QVERIFY(openweather::dailyForecast(decoded<OpenWeatherDay>(R"({"dt":1737374400,"temp":5})")));
        // A fraction of a second is dropped, as the snapshot would drop it.
        QCOMPARE(
            openweather::sample(decoded<OpenWeatherPoint>(R"({"dt":1737382800.75,"temp":5,"weather":[]})"))
                ->date,
            QDateTime::fromSecsSinceEpoch(1737382800, Qt::UTC));
        QCOMPARE(openweather::condition(511), WeatherCondition::heavyRain);
        QCOMPARE(openweather::condition(801), WeatherCondition::mostlyClear);
        QCOMPARE(openweather::condition(805), WeatherCondition::unknown);
        QCOMPARE(openweather::condition(std::nullopt), WeatherCondition::unknown);

        QVERIFY(!decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(
            R"({"data":[{"dt":1,"temp":2,"weather":[],"humidity":55.5}]})"));
    }

    // Days are the device's calendar days: in Tokyo the three entries all fall on 21 January.
    void freeForecastDaysFollowTheDeviceCalendar() {
        const auto current = decoded<OpenWeatherFreeCurrentResponse>(data("weather.json"));
        const auto forecast = decoded<OpenWeatherFreeForecastResponse>(data("forecast.json"));

        const auto inUTC = openweather::makeForecast(openweather::combined(current, forecast, utcCalendar()),
                                                     london(), kNow);
        QCOMPARE(inUTC.daily.size(), 2);
        const DailyForecast first{QDateTime(QDate(2025, 1, 20), QTime(0, 0), Qt::UTC),
                                  7.5,
                                  4.0,
                                  WeatherCondition::rain,
                                  1.0,
                                  std::nullopt,
                                  std::nullopt};
        QCOMPARE(inUTC.daily[0], first);
        QCOMPARE(inUTC.daily[1].highC, 3.0); // no bounds: the mean stands for both
        QCOMPARE(inUTC.daily[1].lowC, 3.0);
        QCOMPARE(inUTC.hourly.size(), 3);
        QCOMPARE(inUTC.hourly[0].precipitationIntensityMmPerHour, std::nullopt);

        const LocalCalendar tokyo(QTimeZone("Asia/Tokyo"), QLocale::c());
        const auto inTokyo = openweather::combined(current, forecast, tokyo);
        QCOMPARE(inTokyo.daily->size(), 1);
        QCOMPARE(inTokyo.daily->first().dt,
                 double(QDateTime(QDate(2025, 1, 21), QTime(0, 0), tokyo.timeZone()).toSecsSinceEpoch()));
        QCOMPARE(inTokyo.daily->first().temperatureC, 5.0);
    }

    // Recorded One Call 3.0 answers: the document is not a 4.0 timeline, which the decoder says; its blocks
    // are the 4.0 elements and decode as such. The recorded 2.5 answers decode whole.
    void realDocuments() {
        for (const QString& name :
             {QStringLiteral("onecall3-sao-luis-alerts-pt-2025-01-15.json"),
              QStringLiteral("onecall3-cancun-no-minutely-no-alerts-2024-12-27.json")}) {
            NIMBRA_READ_TEST_DATA(recorded, "providers/openweather/" + name);
            const auto whole = decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(recorded);
            QCOMPARE(whole.error, QStringLiteral(R"(Missing key "data")"));

            const QJsonObject root = QJsonDocument::fromJson(recorded).object();
            const auto timeline = [&root](const char* block) {
                const QJsonValue v = root.value(QLatin1String(block));
                return QJsonDocument(QJsonObject{{"data", v.isArray() ? v : QJsonArray{v}}}).toJson();
            };
            const auto current =
                decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(timeline("current"));
            const auto hourly =
                decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(timeline("hourly"));
            const auto daily = decodeDocument<OpenWeatherTimelineResponse<OpenWeatherDay>>(timeline("daily"));
            QVERIFY2(current && hourly && daily, qPrintable(name));
            const QDateTime now =
                QDateTime::fromSecsSinceEpoch(root.value("current")["dt"].toInteger(), Qt::UTC);
            const auto f =
                openweather::makeForecast({current->data.first(), hourly->data, daily->data}, london(), now);
            QVERIFY(f.current);
            QCOMPARE(f.hourly.size(), 24);
            QCOMPARE(f.daily.size(), 8);
            for (const DailyForecast& day : f.daily)
                QVERIFY2(day.lowC <= day.highC && day.sunrise && day.condition != WeatherCondition::unknown,
                         qPrintable(name));
            QVERIFY(encodeDocument(f));
        }

        NIMBRA_READ_TEST_DATA(currentDocument,
                              QStringLiteral("providers/openweather/weather25-maceio-ptbr-2021-01-08.json"));
        NIMBRA_READ_TEST_DATA(forecastDocument,
                              QStringLiteral("providers/openweather/forecast25-maceio-ptbr-2021-01-08.json"));
        const auto current = decodeDocument<OpenWeatherFreeCurrentResponse>(currentDocument);
        const auto forecast = decodeDocument<OpenWeatherFreeForecastResponse>(forecastDocument);
        QVERIFY2(current && forecast, qPrintable(current.error + forecast.error));
        const auto f =
            openweather::makeForecast(openweather::combined(*current, *forecast, utcCalendar()), london(),
                                      QDateTime::fromSecsSinceEpoch(qint64(current->dt), Qt::UTC));
        QCOMPARE(f.current->temperatureC, current->main.temp);
        QCOMPARE(f.hourly.size(), 24);
        QVERIFY(f.daily.size() >= 5 && f.daily.size() <= 6);
    }
};

QTEST_GUILESS_MAIN(OpenWeatherTest)
#include "tst_openweather.moc"
