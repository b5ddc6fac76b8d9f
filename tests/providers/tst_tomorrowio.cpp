#include "LoopbackHTTPServer.h"
#include "TestSupport.h"
#include "TomorrowIOMapping.h"
#include "TomorrowIOWeatherClient.h"
#include "UUIDText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace nimbra;
using nimbra::testing::runTask;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC);
const QString kKey = QStringLiteral("tmrw-Key-0123456789");
const QString kPath = QStringLiteral("/v4/weather/forecast");

QDateTime utc(int day, int hour) {
    return QDateTime(QDate(2025, 1, day), QTime(hour, 0), Qt::UTC);
}

WeatherLocation paris() {
    WeatherLocation location;
    location.id = *parseUUID(u"9A0C2E4F-1B3D-4C5E-8F70-A1B2C3D4E5F6");
    location.name = QStringLiteral("Paris");
    location.latitude = 48;
    location.longitude = 2.35;
    return location;
}

QByteArray fixture() {
    return testing::readFile(QFINDTESTDATA("../data/providers/tomorrow-io/forecast-paris.json"));
}

ProviderForecast mapped(const QByteArray& document) {
    const auto response = decodeDocument<TomorrowIOResponse>(document);
    if (!response)
        qWarning() << response.error;
    return tomorrowio::makeForecast(response.value.value_or(TomorrowIOResponse{}), paris(), kNow);
}

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)

class TomorrowIOTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    std::shared_ptr<HTTPSession> m_session;

    ProviderForecast fetch(const QString& key = kKey) {
        TomorrowIOWeatherClient client({m_session, std::make_shared<ManualClock>(kNow), m_server->baseURL()},
                                       key);
        return runTask(client.forecast(paris(), {})).value_or(ProviderForecast{});
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

    // The answer comes compressed, as the service sends it; the network layer must undo that itself.
    void requestsBothTimelinesAndMapsThem() {
        m_server->route(kPath, CannedResponse::json(fixture()).compressed());

        const ProviderForecast f = fetch();

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest request = m_server->requests().first();
        const QList<QPair<QString, QString>> expected{{"location", "48.0,2.35"},
                                                      {"timesteps", "1h"},
                                                      {"timesteps", "1d"},
                                                      {"units", "metric"},
                                                      {"apikey", kKey}};
        QCOMPARE(request.query, expected);
        QCOMPARE(request.header("Accept"), QByteArray("application/json"));
        QVERIFY(request.header("Accept-Encoding").contains("gzip"));

        QCOMPARE(f.attribution, QStringLiteral("Weather data by Tomorrow.io"));
        QCOMPARE(f.expiresAt, kNow.addSecs(1800));
        // The interval whose time does not parse and the one without a temperature are left out.
        QCOMPARE(f.hourly.size(), 2);
        const WeatherSample first{utc(20, 14), 4.5, 1.9, 0.78, 18.0, WeatherCondition::drizzle, 0.35, 0.75};
        QCOMPARE(f.hourly[0], first);
        QCOMPARE(f.current, first);
        QCOMPARE(f.hourly[1].date, utc(20, 15));
        QCOMPARE(f.hourly[1].precipitationIntensityMmPerHour, 1.5);
        QCOMPARE(f.hourly[1].condition, WeatherCondition::rain);

        QCOMPARE(f.daily.size(), 2);
        const DailyForecast day{utc(20, 6), 6.5,          1.5,         WeatherCondition::thunderstorm,
                                0.8,        std::nullopt, std::nullopt};
        QCOMPARE(f.daily[0], day);
        QCOMPARE(f.daily[1].highC, 3.0);
        QCOMPARE(f.daily[1].lowC, 3.0);
        QCOMPARE(f.daily[1].condition, WeatherCondition::unknown);
        QCOMPARE(f.daily[1].precipitationProbability, std::nullopt);
    }

    // A key with blanks and reserved characters reaches the service as typed, and no spelling of it that the
    // service may echo (upper-cased, form-encoded, quoted in an address) reaches the user or the log, not
    // even a piece of it where a long message is cut.
    void keyWithReservedCharactersNeverShows() {
        const QString key = QStringLiteral("Ab c+d/e=f&g");
        const QString echoed = QString(262, u'x') + QStringLiteral(" AB+C%2bD%2fE%3dF%26G, ab c+d/e=f&g, "
                                                                   "apikey=Ab%20c%2Bd%2Fe%3Df%26g");
        m_server->route(kPath,
                        CannedResponse::json(QJsonDocument(QJsonObject{{"message", echoed}}).toJson(), 401));

        const ProviderForecast f = fetch(key);

        QCOMPARE(m_server->requests().value(0).query.value(4), (QPair<QString, QString>("apikey", key)));
        const QString shown = f.errorMessage.value_or(QString());
        QCOMPARE(shown, "Provider returned HTTP 401: " + QString(262, u'x') + QStringLiteral(" <API key") +
                            QChar(0x2026));
    }

    void failures_data() {
        QTest::addColumn<CannedResponse>("answer");
        QTest::addColumn<QString>("error");
        QTest::newRow("401 with a message")
            << CannedResponse::json(
                   R"({"code":401001,"type":"Invalid Auth","message":"The method requires authentication but it was not presented or is invalid."})",
                   401)
            << "Provider returned HTTP 401: The method requires authentication but it was not presented or "
               "is invalid.";
        QTest::newRow("a message that echoes the key")
            << CannedResponse::json(R"({"message":"Unknown key tmrw-Key-0123456789"})", 403)
            << "Provider returned HTTP 403: Unknown key <API key>";
        QTest::newRow("no timelines") << CannedResponse::json(R"({"data":{}})")
                                      << R"(The forecast could not be read: Missing key "timelines")";
        QTest::newRow("a value of the wrong type")
            << CannedResponse::json(
                   R"({"timelines":{"hourly":[{"time":"2025-01-20T14:00:00Z","values":{"weatherCode":1000.5}}]}})")
            << R"(The forecast could not be read: Expected a whole number for "weatherCode")";
    }
    void failures() {
        QFETCH(CannedResponse, answer);
        QFETCH(QString, error);
        m_server->route(kPath, answer);

        const ProviderForecast f = fetch();

        QCOMPARE(f.errorMessage, error);
        QCOMPARE(f.issuedAt, kNow);
        QCOMPARE(f.expiresAt, kNow);
        QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty());
    }

    void emptyTimelinesAndTimes() {
        const ProviderForecast empty = mapped(R"({"timelines":{}})");
        QCOMPARE(empty.errorMessage, std::nullopt);
        QVERIFY(!empty.current && empty.hourly.isEmpty() && empty.daily.isEmpty());

        TomorrowIOValues values;
        values.temperatureMin = -2.0;
        const auto onlyMin = tomorrowio::sample({"2025-01-20T14:00:00Z", values});
        QCOMPARE(onlyMin->temperatureC, -2.0);
        // Whole seconds, as the snapshot keeps them: otherwise a saved forecast reads back different.
        QCOMPARE(tomorrowio::intervalTime("2025-01-20T14:00:00.123Z"), utc(20, 14));
        QCOMPARE(tomorrowio::intervalTime("2025-01-20 14:00"), std::nullopt);
    }

    // Recorded answers: nulls in values that are not read, intensity only per kind of precipitation, daily
    // codes only as maxima.
    void realDocuments_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("wetHours");
        QTest::newRow("Boston") << "forecast-boston-nulls-2025-01-10.json" << 7 << 6; // snow
        QTest::newRow("Sola") << "forecast-sola-vanuatu-rain-2025-02-26.json" << 6 << 22;
    }
    void realDocuments() {
        QFETCH(QString, name);
        QFETCH(int, days);
        QFETCH(int, wetHours);
        NIMBRA_READ_TEST_DATA(recorded, "providers/tomorrow-io/" + name);
        const auto response = decodeDocument<TomorrowIOResponse>(recorded);
        QVERIFY2(response, qPrintable(response.error));

        const auto f = tomorrowio::makeForecast(*response, paris(), kNow);

        QCOMPARE(f.hourly.size(), 24);
        QCOMPARE(f.current, f.hourly.first());
        QCOMPARE(f.daily.size(), days);
        int wet = 0;
        for (const WeatherSample& s : f.hourly) {
            QVERIFY(s.humidity && s.windKph && s.precipitationIntensityMmPerHour);
            QVERIFY(s.condition != WeatherCondition::unknown);
            wet += *s.precipitationIntensityMmPerHour > 0 ? 1 : 0;
        }
        QCOMPARE(wet, wetHours);
        for (const DailyForecast& d : f.daily)
            QVERIFY(d.lowC < d.highC && d.condition != WeatherCondition::unknown &&
                    d.precipitationProbability);
        QVERIFY(encodeDocument(f));
    }

    void recordedRateLimitAnswer() {
        NIMBRA_READ_TEST_DATA(answer,
                              QStringLiteral("providers/tomorrow-io/error-429-sample-not-recorded.json"));
        m_server->route(kPath, CannedResponse::json(answer, 429));
        QVERIFY(fetch().errorMessage->startsWith(
            "Provider returned HTTP 429: The request limit for this resource has been reached"));
    }
};

QTEST_GUILESS_MAIN(TomorrowIOTest)
#include "tst_tomorrowio.moc"
