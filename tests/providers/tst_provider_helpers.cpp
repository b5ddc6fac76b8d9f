#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "FixtureWeatherClient.h"
#include "PlaceholderWeatherClient.h"
#include "ProviderTextMapping.h"
#include "StorableForecast.h"
#include "TestSupport.h"
#include "TomorrowIOMapping.h"
#include "UUIDText.h"
#include "WeatherFixtures.h"
#include "WeatherProviderHTTPError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace nimbra;
using nimbra::testing::runTask;
using OptionalText = std::optional<QString>;

namespace {

const QDateTime kNow(QDate(2025, 6, 1), QTime(10, 20), Qt::UTC);

WeatherLocation place() {
    WeatherLocation location;
    location.id = *parseUUID(u"5B1E9C3A-2D4F-4A6B-8C7D-9E0F1A2B3C4D");
    location.name = QStringLiteral("Bergen");
    location.latitude = 60.39;
    location.longitude = 5.32;
    return location;
}

} // namespace

class ProviderHelpersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conditionFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<WeatherCondition>("condition");
        QTest::newRow("thunder") << "Thunderstorms" << WeatherCondition::thunderstorm;
        QTest::newRow("snow before shower") << "Light Snow Showers" << WeatherCondition::snow;
        QTest::newRow("snow before rain") << "rain and snow" << WeatherCondition::snow;
        QTest::newRow("heavy rain") << "Heavy rain" << WeatherCondition::heavyRain;
        QTest::newRow("icon heavy-rain") << "heavy-rain-night" << WeatherCondition::heavyRain;
        QTest::newRow("drizzle") << "Patchy light drizzle" << WeatherCondition::drizzle;
        QTest::newRow("hail is sleet") << "Hail" << WeatherCondition::sleet;
        QTest::newRow("haze is fog") << "Haze" << WeatherCondition::fog;
        QTest::newRow("overcast") << "Overcast" << WeatherCondition::cloudy;
        QTest::newRow("sunny") << "Sunny" << WeatherCondition::clear;
        QTest::newRow("mostly sunny") << "mostly sunny" << WeatherCondition::clear;
        QTest::newRow("mostly cloudy") << "Mostly cloudy" << WeatherCondition::partlyCloudy;
        QTest::newRow("wind before partly") << "partly cloudy with wind" << WeatherCondition::windy;
        QTest::newRow("full Unicode lower-casing")
            << QStringLiteral("SNÖ AND SNOW") << WeatherCondition::snow;
        QTest::newRow("unknown word") << "Blizzard" << WeatherCondition::unknown;
        QTest::newRow("empty") << "" << WeatherCondition::unknown;
    }
    void conditionFromText() {
        QFETCH(QString, text);
        QFETCH(WeatherCondition, condition);
        QCOMPARE(nimbra::conditionFromText(text), condition);
    }

    void conditionFromTwoTexts_data() {
        QTest::addColumn<OptionalText>("icon");
        QTest::addColumn<OptionalText>("text");
        QTest::addColumn<WeatherCondition>("condition");
        QTest::newRow("icon's partly") << OptionalText("partly-cloudy-day")
                                       << OptionalText("Partially cloudy") << WeatherCondition::partlyCloudy;
        QTest::newRow("partially is not partly")
            << OptionalText() << OptionalText("Partially cloudy") << WeatherCondition::cloudy;
        QTest::newRow("icon alone") << OptionalText("rain") << OptionalText() << WeatherCondition::rain;
        // Joined with a blank: the words must not run together into "heavy rain".
        QTest::newRow("joined with a blank")
            << OptionalText("heavy") << OptionalText("rain") << WeatherCondition::heavyRain;
        QTest::newRow("neither") << OptionalText() << OptionalText() << WeatherCondition::unknown;
    }
    void conditionFromTwoTexts() {
        QFETCH(OptionalText, icon);
        QFETCH(OptionalText, text);
        QFETCH(WeatherCondition, condition);
        QCOMPARE(conditionFromTexts(icon, text), condition);
    }

    void severityFromText_data() {
        QTest::addColumn<OptionalText>("text");
        QTest::addColumn<WeatherAlertSeverity>("severity");
        QTest::newRow("extreme") << OptionalText("Extreme") << WeatherAlertSeverity::extreme;
        QTest::newRow("severe") << OptionalText("Severe Weather Statement") << WeatherAlertSeverity::severe;
        QTest::newRow("extreme wins") << OptionalText("severe to extreme") << WeatherAlertSeverity::extreme;
        QTest::newRow("minor") << OptionalText("Minor") << WeatherAlertSeverity::minor;
        QTest::newRow("moderate") << OptionalText("Moderate") << WeatherAlertSeverity::moderate;
        QTest::newRow("unknown") << OptionalText("unknown") << WeatherAlertSeverity::moderate;
        QTest::newRow("absent") << OptionalText() << WeatherAlertSeverity::moderate;
    }
    void severityFromText() {
        QFETCH(OptionalText, text);
        QFETCH(WeatherAlertSeverity, severity);
        QCOMPARE(nimbra::severityFromText(text), severity);
    }

    void httpErrorsAndTheirMessages_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<OptionalText>("message");
        QTest::addColumn<QString>("description");
        QTest::newRow("message") << 401 << QByteArray(R"({"cod":401, "message": "Invalid API key"})")
                                 << OptionalText("Invalid API key")
                                 << "Provider returned HTTP 401: Invalid API key";
        QTest::newRow("kept untrimmed")
            << 404 << QByteArray(R"({"message":" Not found "})") << OptionalText(" Not found ")
            << "Provider returned HTTP 404:  Not found ";
        QTest::newRow("empty message")
            << 404 << QByteArray(R"({"message":""})") << OptionalText("") << "Provider returned HTTP 404.";
        QTest::newRow("number") << 500 << QByteArray(R"({"message":5})") << OptionalText()
                                << "Provider returned HTTP 500.";
        QTest::newRow("array") << 503 << QByteArray(R"(["message"])") << OptionalText()
                               << "Provider returned HTTP 503.";
        QTest::newRow("empty object")
            << 429 << QByteArray("{}") << OptionalText() << "Provider returned HTTP 429.";
        QTest::newRow("nested") << 400 << QByteArray(R"({"error":{"message":"API key is invalid."}})")
                                << OptionalText() << "Provider returned HTTP 400.";
        QTest::newRow("not JSON") << 403 << QByteArray("<html>Forbidden</html>") << OptionalText()
                                  << "Provider returned HTTP 403.";
        const QString reason = QStringLiteral("Cannot initialize WeatherVariable from invalid String value "
                                              "tempeture_2m for key hourly");
        const auto body = [](const char* key, const QString& text) {
            return QJsonDocument(QJsonObject{{"error", true}, {key, text}}).toJson();
        };
        QTest::newRow("Open-Meteo's reason") << 400 << body("reason", reason) << OptionalText(reason)
                                             << "Provider returned HTTP 400: " + reason;
        QTest::newRow("reason without the error flag")
            << 400 << QByteArray(R"({"error":"yes","reason":"Bad unit"})") << OptionalText()
            << "Provider returned HTTP 400.";
        QTest::newRow("reason not a text") << 400 << QByteArray(R"({"error":true,"reason":["Bad unit"]})")
                                           << OptionalText() << "Provider returned HTTP 400.";
        QTest::newRow("message before reason")
            << 400 << QByteArray(R"({"error":true,"reason":"Bad unit","message":"Bad request"})")
            << OptionalText("Bad request") << "Provider returned HTTP 400: Bad request";
    }
    void httpErrorsAndTheirMessages() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(OptionalText, message);
        QFETCH(QString, description);
        QCOMPARE(providerErrorMessage(body), message);
        HTTPResponse response;
        response.statusCode = status;
        response.body = body;
        QCOMPARE(WeatherProviderHTTPError::fromResponse(response),
                 (WeatherProviderHTTPError{status, message}));
        QCOMPARE(responseFailure(response), description);
    }

    void everySpellingOfAnAPIKeyIsRemoved() {
        const QString key = QStringLiteral("Ab c+d/e=f&g");
        for (const QString& echoed :
             {QStringLiteral("Ab c+d/e=f&g"), QStringLiteral("AB C+D/E=F&G"),
              QStringLiteral("Ab%20c%2Bd%2Fe%3Df%26g"), QStringLiteral("ab%20c%2bd%2fe%3df%26g"),
              QStringLiteral("Ab+c%2Bd%2Fe%3Df%26g"), QStringLiteral("Ab+c+d/e=f&g")})
            QCOMPARE(withoutAPIKey("key=" + echoed + "&units=metric", key), "key=<API key>&units=metric");
        QCOMPARE(withoutAPIKey("nothing to hide", QStringLiteral(" ")), "nothing to hide");
    }

    // An echoed page is cut to the limit once it is a failed forecast's message, never inside a character.
    void failedForecastMessageIsBounded() {
        const QString page = QString(providerTextLimit - 2, u'x') + QStringLiteral("\U0001F600 and more");
        const ProviderForecast f =
            failedForecast(WeatherProviderKind::openMeteo, {}, kNow, "Open-Meteo", page);
        QCOMPARE(f.errorMessage, QString(providerTextLimit - 2, u'x') + QChar(0x2026));
        const QString fits(providerTextLimit, u'y');
        QCOMPARE(failedForecast(WeatherProviderKind::openMeteo, {}, kNow, "Open-Meteo", fits).errorMessage,
                 fits);
    }

    // Times that only leave the years 0001-9999 once in UTC ("9999-12-31T23:00-05:00") must not reach the
    // snapshot, whose every later save they would fail.
    void forecastsKeepOnlyStorableInstants() {
        const auto response = decodeDocument<TomorrowIOResponse>(
            R"({"timelines":{"hourly":[{"time":"9999-12-31T23:00:00-05:00","values":{"temperature":1}},)"
            R"({"time":"2025-03-10T15:00:00Z","values":{"temperature":2}}]}})");
        QVERIFY2(response, qPrintable(response.error));
        const ProviderForecast mapped = tomorrowio::makeForecast(*response, {}, kNow);
        QCOMPARE(mapped.current, std::nullopt);
        QCOMPARE(mapped.hourly.size(), 1);
        QVERIFY(encodeDocument(mapped));

        const QDateTime beyond(QDate(10000, 1, 1), QTime(1, 0), Qt::UTC);
        const QDateTime before(QDate(0, 12, 31), QTime(23, 0), Qt::UTC);
        ProviderForecast f = failedForecast(WeatherProviderKind::weatherKit, {}, QDateTime(), "Apple", "x");
        f.errorMessage.reset();
        f.expiresAt = beyond;
        f.current = WeatherSample{before, 1, {}, {}, {}, WeatherCondition::clear, {}, {}};
        f.hourly = {WeatherSample{kNow, 2, {}, {}, {}, WeatherCondition::clear, {}, {}},
                    WeatherSample{beyond, 3, {}, {}, {}, WeatherCondition::clear, {}, {}}};
        f.daily = {DailyForecast{kNow, 5, 1, WeatherCondition::rain, {}, before, kNow},
                   DailyForecast{before, 5, 1, WeatherCondition::rain, {}, {}, {}}};
        f.alerts = {WeatherAlert{
            QUuid::createUuid(), WeatherProviderKind::weatherKit, "Wind", "", {}, kNow, beyond, {}}};
        QVERIFY(!encodeDocument(f));

        const ProviderForecast kept = withStorableInstants(f, kNow);
        QVERIFY2(encodeDocument(kept), qPrintable(encodeDocument(kept).error));
        QCOMPARE(kept.issuedAt, kNow);
        QCOMPARE(kept.expiresAt, kNow);
        QCOMPARE(kept.current, std::nullopt);
        QCOMPARE(kept.hourly, QList<WeatherSample>{f.hourly.first()});
        QCOMPARE(kept.daily.size(), 1);
        QCOMPARE(kept.daily.first().sunrise, std::nullopt);
        QCOMPARE(kept.daily.first().sunset, kNow);
        QVERIFY(kept.alerts.isEmpty());
    }

    void responseFailureOfTransportErrorsAndSuccess() {
        HTTPResponse lost;
        lost.transportError = QStringLiteral("The network connection was lost.");
        QCOMPARE(responseFailure(lost), lost.transportError);
        HTTPResponse ok;
        ok.statusCode = 200;
        ok.body = R"({"message":"ignored on success"})";
        QCOMPARE(responseFailure(ok), std::nullopt);
    }

    void placeholderForecastCarriesTheReasonAndIsExpired() {
        const auto clock = std::make_shared<ManualClock>(kNow);
        PlaceholderWeatherClient client(WeatherProviderKind::openWeather, "OpenWeather API key is missing.",
                                        clock);
        const auto forecast = runTask(client.forecast(place(), {}));
        QVERIFY(forecast);
        QCOMPARE(*forecast, failedForecast(WeatherProviderKind::openWeather, place(), kNow, "OpenWeather",
                                           "OpenWeather API key is missing."));
        QCOMPARE(forecast->locationID, place().id);
        QCOMPARE(forecast->issuedAt, kNow);
        QCOMPARE(forecast->expiresAt, kNow);
        QVERIFY(!forecast->current && forecast->hourly.isEmpty() && forecast->daily.isEmpty() &&
                forecast->alerts.isEmpty());
        QVERIFY(forecast->expiresAt <= clock->now()); // already expired when returned
    }

    void fixtureClientAnswersWithTheSampleForecast() {
        const auto clock = std::make_shared<ManualClock>(kNow);
        const LocalCalendar calendar(QTimeZone("Europe/Oslo"), QLocale(QLocale::NorwegianBokmal));
        FixtureWeatherClient client(WeatherProviderKind::metNorway, clock, calendar);
        const auto forecast = runTask(client.forecast(place(), {}));
        QVERIFY(forecast);
        QCOMPARE(*forecast,
                 WeatherFixtures::forecast(WeatherProviderKind::metNorway, place(), kNow, calendar));
        QCOMPARE(forecast->errorMessage, std::nullopt);
        QCOMPARE(client.provider(), WeatherProviderKind::metNorway);
    }
};

QTEST_GUILESS_MAIN(ProviderHelpersTest)
#include "tst_provider_helpers.moc"
