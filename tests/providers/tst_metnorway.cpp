#include "LoopbackHTTPServer.h"
#include "METNorwayWeatherClient.h"
#include "TestSupport.h"
#include "UUIDText.h"

#include <QTest>

using namespace nimbra;
using nimbra::testing::runTask;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(10, 20), Qt::UTC);
const QString kUserAgent = QStringLiteral("Nimbra/0.1 weather@example.org");

QDateTime utc(int day, int hour) {
    return QDateTime(QDate(2025, 1, day), QTime(hour, 0), Qt::UTC);
}

WeatherLocation oslo() {
    WeatherLocation location;
    location.id = *parseUUID(u"0C3F8A52-9D1B-4E6A-8F27-5B4C1D9E3A70");
    location.name = QStringLiteral("Oslo");
    location.latitude = 59.912731;
    location.longitude = 10.746092;
    return location;
}

LocalCalendar utcCalendar() {
    return {QTimeZone::utc(), QLocale::c()};
}

QByteArray fixture() {
    return testing::readFile(testing::testDataPath(QStringLiteral("providers/met-norway/compact-oslo.json")));
}

ProviderForecast decode(const QByteArray& body, const QDateTime& now = kNow) {
    return METNorwayWeatherClient::forecastFromBody(body, oslo(), now, utcCalendar());
}

// A document of points that carry only a temperature and a one-hour period.
QByteArray series(const QStringList& times,
                  const QString& updatedAt = QStringLiteral("2025-01-20T09:31:05Z")) {
    QByteArray points;
    for (const QString& time : times) {
        if (!points.isEmpty())
            points += ',';
        points += QStringLiteral(R"({"time":"%1","data":{"instant":{"details":{"air_temperature":1.0}},)"
                                 R"("next_1_hours":{"summary":{"symbol_code":"cloudy"},"details":{}}}})")
                      .arg(time)
                      .toUtf8();
    }
    return R"({"properties":{"meta":{"updated_at":")" + updatedAt.toUtf8() + R"("},"timeseries":[)" + points +
           "]}}";
}

QByteArray point(const QByteArray& details, const QByteArray& periods) {
    return R"({"properties":{"meta":{"updated_at":"2025-01-20T09:31:05Z"},"timeseries":[{"time":"2025-01-20T10:00:00Z",)"
           R"("data":{"instant":{"details":)" +
           details + "}" + periods + "}}]}}";
}

void verifyFailed(const ProviderForecast& f, const QString& reasonPart) {
    QVERIFY2(f.errorMessage && f.errorMessage->contains(reasonPart),
             qPrintable(f.errorMessage.value_or(QStringLiteral("<no error>"))));
    QCOMPARE(f.attribution, QStringLiteral("Weather data by MET Norway"));
    QCOMPARE(f.issuedAt, f.expiresAt);
    QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty());
}

} // namespace

Q_DECLARE_METATYPE(nimbra::WeatherCondition)

class METNorwayTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    std::shared_ptr<HTTPSession> m_session;

    ProviderForecast fetch() {
        METNorwayWeatherClient client({m_session, std::make_shared<ManualClock>(kNow), m_server->baseURL()},
                                      kUserAgent, utcCalendar());
        return runTask(client.forecast(oslo(), {})).value_or(ProviderForecast{});
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

    // The service refuses requests without an identifying User-Agent and coordinates with more than four
    // decimals; a German locale must not turn the points into commas.
    void requestIdentifiesTheApplication() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        m_server->route(QStringLiteral("/weatherapi/locationforecast/2.0/compact"),
                        CannedResponse::json(fixture()));

        const ProviderForecast f = fetch();

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest request = m_server->requests().first();
        QCOMPARE(request.path, QStringLiteral("/weatherapi/locationforecast/2.0/compact"));
        QCOMPARE(request.query, (QList<QPair<QString, QString>>{{"lat", "59.9127"}, {"lon", "10.7461"}}));
        QCOMPARE(request.header("User-Agent"), kUserAgent.toUtf8());
        QCOMPARE(request.header("Accept"), QByteArray("application/json"));
    }

    void mapsTheSeries() {
        const ProviderForecast f = decode(fixture());

        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.issuedAt, QDateTime(QDate(2025, 1, 20), QTime(9, 31, 5), Qt::UTC));
        QCOMPARE(f.expiresAt, kNow.addSecs(1800));
        // 10:00 is nearest to 10:20; 09:00 lies before the current hour but the rest stays, whatever the
        // spacing.
        QVERIFY(f.current);
        QCOMPARE(f.current->date, utc(20, 10));
        QCOMPARE(f.current->windKph.value_or(0), 12.6);
        QCOMPARE(f.current->condition, WeatherCondition::cloudy);
        QCOMPARE(f.current->precipitationProbability, std::nullopt); // 0 mm is no chance, not a 0 chance
        QCOMPARE(f.current->precipitationIntensityMmPerHour, 0.0);
        QCOMPARE(f.hourly.size(), 6);
        QCOMPARE(f.hourly.last().date, utc(21, 6));

        // The one-hour period has no amount: the six-hour one supplies it, the symbol stays the one-hour one.
        const WeatherSample& noon = f.hourly[2];
        QCOMPARE(noon.condition, WeatherCondition::partlyCloudy);
        QCOMPARE(noon.precipitationIntensityMmPerHour, 2.0);
        QCOMPARE(noon.precipitationProbability, 0.5);
        QCOMPARE(f.hourly[3].condition, WeatherCondition::thunderstorm);
        QCOMPARE(f.hourly[3].precipitationProbability, 0.85);
        // Only a twelve-hour period: its symbol, but never an amount.
        QCOMPARE(f.hourly[4].condition, WeatherCondition::clear);
        QCOMPARE(f.hourly[4].precipitationIntensityMmPerHour, std::nullopt);
        // No period at all: the cloud cover decides.
        QCOMPARE(f.hourly[5].condition, WeatherCondition::clear);

        QCOMPARE(f.daily.size(), 2);
        QCOMPARE(f.daily[0].highC, -2.0);
        QCOMPARE(f.daily[0].lowC, -4.6);
        QCOMPARE(f.daily[0].condition, WeatherCondition::cloudy); // a four-way tie: the first one
        QCOMPARE(f.daily[0].precipitationProbability, 0.85);
        QCOMPARE(f.daily[1].precipitationProbability, std::nullopt);
    }

    void conditionFromSymbol_data() {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("cloudFraction");
        QTest::addColumn<WeatherCondition>("condition");
        const double none = qQNaN();
        QTest::newRow("light rain") << "lightrainshowers_day" << none << WeatherCondition::drizzle;
        QTest::newRow("heavy rain and thunder")
            << "heavyrainandthunder" << none << WeatherCondition::thunderstorm;
        QTest::newRow("MET's own sleet spelling")
            << "lightssleetshowers_night" << none << WeatherCondition::sleet;
        QTest::newRow("unknown code, 44.9 %") << "xyz" << 44.9 << WeatherCondition::mostlyClear;
        QTest::newRow("unknown code, 45 %") << "xyz" << 45.0 << WeatherCondition::partlyCloudy;
        QTest::newRow("unknown code, no fraction") << "xyz" << none << WeatherCondition::unknown;
    }
    void conditionFromSymbol() {
        QFETCH(QString, symbol);
        QFETCH(double, cloudFraction);
        QFETCH(WeatherCondition, condition);
        const auto fraction = qIsNaN(cloudFraction) ? std::nullopt : std::optional(cloudFraction);
        QCOMPARE(METNorwayWeatherClient::condition(symbol, fraction), condition);
    }

    void chanceFromAmount_data() {
        QTest::addColumn<QByteArray>("amount");
        QTest::addColumn<double>("chance");
        QTest::newRow("none") << QByteArray("0.0") << qQNaN();
        QTest::newRow("little rounds up") << QByteArray("0.4") << 0.25;
        QTest::newRow("proportional") << QByteArray("2.0") << 0.5;
        QTest::newRow("capped") << QByteArray("10") << 0.85;
    }
    void chanceFromAmount() {
        QFETCH(QByteArray, amount);
        QFETCH(double, chance);
        const ProviderForecast f = decode(point(
            R"({"air_temperature":1.0})", R"(,"next_1_hours":{"summary":{"symbol_code":"rain"},"details":)"
                                          R"({"precipitation_amount":)" +
                                              amount + "}}"));
        QVERIFY(f.current);
        QCOMPARE(f.current->precipitationProbability,
                 qIsNaN(chance) ? std::nullopt : std::optional<double>(chance));
        QCOMPARE(f.daily.first().precipitationProbability, f.current->precipitationProbability);
    }

    void currentIsTheNearestReadablePoint_data() {
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QDateTime>("current");
        QTest::addColumn<int>("hours");
        QTest::newRow("a single point, however far")
            << QStringList{"2025-01-18T00:00:00Z"} << QDateTime(QDate(2025, 1, 18), QTime(0, 0), Qt::UTC)
            << 0;
        QTest::newRow("a tie keeps the earlier point")
            << QStringList{"2025-01-20T10:00:00Z", "2025-01-20T10:40:00Z"} << QDateTime(utc(20, 10)) << 2;
        QTest::newRow("before the current hour, still current")
            << QStringList{"2025-01-20T09:00:00Z", "2025-01-20T12:00:00Z"} << QDateTime(utc(20, 9)) << 1;
        // An unreadable time has no distance to now: it is neither current nor an hour.
        QTest::newRow("unreadable time")
            << QStringList{"2025-01-20T08:00:00Z", "2025-01-20 10:20", "2025-01-20T11:00:00Z"}
            << QDateTime(utc(20, 11)) << 1;
        QTest::newRow("nothing readable") << QStringList{"later"} << QDateTime() << 0;
        QTest::newRow("empty series") << QStringList{} << QDateTime() << 0;
    }
    void currentIsTheNearestReadablePoint() {
        QFETCH(QStringList, times);
        QFETCH(QDateTime, current);
        QFETCH(int, hours);
        const ProviderForecast f = decode(series(times));
        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.current ? f.current->date : QDateTime(), current);
        QCOMPARE(f.hourly.size(), hours);
        QCOMPARE(f.daily.isEmpty(), hours == 0);
    }

    void keepsTheFirstTenDays() {
        QStringList times;
        for (int day = 0; day < 12; ++day)
            times << QDate(2025, 1, 20).addDays(day).toString(Qt::ISODate) + QStringLiteral("T12:00:00Z");
        const ProviderForecast f = decode(series(times, QStringLiteral("yesterday")));
        QCOMPARE(f.issuedAt, kNow);
        QCOMPARE(f.hourly.size(), 12);
        QCOMPARE(f.daily.size(), 10);
        QCOMPARE(f.daily.first().date, utc(20, 0));
        QCOMPARE(f.daily.last().date, utc(29, 0));
    }

    // 1e308 m/s is a number JSON allows, but not one in km/h.
    void valuesThatOverflowAreLeftOut() {
        const ProviderForecast f =
            decode(point(R"({"air_temperature":1.0,"wind_speed":1e308,"relative_humidity":50})", ""));
        QVERIFY(f.current);
        QCOMPARE(f.current->windKph, std::nullopt);
        QCOMPARE(f.current->humidity, 0.5);
    }

    void unreadableDocumentsFailWithTheirReason_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not JSON") << QByteArray("Forbidden") << "Invalid JSON";
        QTest::newRow("no temperature") << point(R"({"wind_speed":3})", "") << "air_temperature";
        QTest::newRow("text amount")
            << point(
                   R"({"air_temperature":1})",
                   R"(,"next_1_hours":{"summary":{"symbol_code":"rain"},"details":{"precipitation_amount":"2"}})")
            << "timeseries[0]";
        QTest::newRow("no meta") << QByteArray(R"({"properties":{"timeseries":[]}})") << "meta";
    }
    void unreadableDocumentsFailWithTheirReason() {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        verifyFailed(decode(body), reason);
    }

    void failingAnswerBecomesAFailedForecast() {
        m_server->route(QStringLiteral("/weatherapi/locationforecast/2.0/compact"),
                        CannedResponse::json(R"({"message":"Slow down"})", 429));
        const ProviderForecast f = fetch();
        verifyFailed(f, QStringLiteral("Provider returned HTTP 429: Slow down"));
        QCOMPARE(f.issuedAt, kNow);
    }

    // Recorded answers: the later points lack the one-hour period, the last one every period, and the
    // twelve-hour periods come without "details".
    void realDocuments_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("New York") << "compact-new-york-2020-07-20.json";
        QTest::newRow("Beijing") << "compact-beijing-no-altitude-2020-07-20.json";
    }
    void realDocuments() {
        QFETCH(QString, file);
        NIMBRA_READ_TEST_DATA(recorded, QStringLiteral("providers/met-norway/") + file);
        const QDateTime now(QDate(2020, 7, 20), QTime(11, 44, 31), Qt::UTC);
        const ProviderForecast f = decode(recorded, now);
        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.issuedAt, QDateTime(QDate(2020, 7, 20), QTime(1, 30, 57), Qt::UTC));
        QCOMPARE(f.current->date, QDateTime(QDate(2020, 7, 20), QTime(12, 0), Qt::UTC));
        QCOMPARE(f.hourly.size(), 82);
        QCOMPARE(f.daily.size(), 10);
        QCOMPARE(f.hourly.last().date, QDateTime(QDate(2020, 7, 29), QTime(6, 0), Qt::UTC));
        for (const WeatherSample& s : f.hourly)
            QVERIFY(s.condition != WeatherCondition::unknown);
    }
};

QTEST_GUILESS_MAIN(METNorwayTest)
#include "tst_metnorway.moc"
