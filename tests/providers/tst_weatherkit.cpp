#include "TestSupport.h"
#include "UUIDText.h"
#include "WeatherKitWeatherClient.h"

#include <QTest>

#include <cmath>

using namespace nimbra;
using nimbra::testing::runTask;

namespace {

const QDateTime kNow(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC);

QDateTime at(int hoursFromNoon) {
    return QDateTime(QDate(2025, 1, 20), QTime(12, 0), Qt::UTC).addSecs(hoursFromNoon * 3600);
}

WeatherLocation paris() {
    WeatherLocation location;
    location.id = *parseUUID(u"5A0E7C33-1B2D-4C8F-A6E9-3D7B2F1C8E44");
    location.name = QStringLiteral("Paris");
    location.latitude = 48.8566;
    location.longitude = 2.3522;
    return location;
}

WeatherKitHourWeather hour(int hoursFromNoon) {
    return {at(hoursFromNoon), 5.0 + hoursFromNoon, 3.0, 0.8, 11.0, WeatherKitCondition::drizzle, 0.4, 0.3};
}

WeatherKitAlert alert(std::optional<QString> region, WeatherKitAlertSeverity severity) {
    return {{at(0), at(12)},
            std::move(region),
            QStringLiteral("Météo-France"),
            QStringLiteral("Strong winds"),
            severity,
            QUrl(QStringLiteral("https://weatherkit.apple.com/alertDetails/1"))};
}

// Two hours before the current one, then 30 more; twelve days; two alerts.
WeatherKitWeather weather() {
    WeatherKitWeather w;
    w.currentWeather = {kNow, 7.5, 5.0, 0.75, 18.0, WeatherKitCondition::mostlyCloudy, {at(2), at(-1)}};
    for (int h = 0; h < 32; ++h)
        w.hourlyForecast.append(hour(h));
    for (int d = 0; d < 12; ++d)
        w.dailyForecast.append({at(24 * d), 9.0, 2.0, WeatherKitCondition::hail, 0.2});
    w.weatherAlerts = QList{alert(QStringLiteral("Paris"), WeatherKitAlertSeverity::severe),
                            alert(std::nullopt, WeatherKitAlertSeverity::unknown)};
    return w;
}

class FakeWeatherService final : public WeatherService {
public:
    explicit FakeWeatherService(WeatherServiceAnswer answer) : m_answer(std::move(answer)) {}

    QCoro::Task<WeatherServiceAnswer> weather(double latitude, double longitude,
                                              CancellationToken cancel) override {
        calls.append({latitude, longitude});
        tokens.append(cancel);
        // A copy: QCoro moves from a non-const lvalue it is given to return.
        co_return WeatherServiceAnswer(m_answer);
    }

    QList<QPair<double, double>> calls;
    QList<CancellationToken> tokens;

private:
    WeatherServiceAnswer m_answer;
};

LocalCalendar utcCalendar() {
    return {QTimeZone::utc(), QLocale::c()};
}

ProviderForecast fetch(std::shared_ptr<WeatherService> service, CancellationToken cancel = {}) {
    WeatherKitWeatherClient client({nullptr, std::make_shared<ManualClock>(kNow), {}}, std::move(service),
                                   utcCalendar());
    return runTask(client.forecast(paris(), std::move(cancel))).value_or(ProviderForecast{});
}

} // namespace

class WeatherKitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutAppleWeatherTheProviderFails() {
        const ProviderForecast f = fetch(WeatherService::shared());
        QCOMPARE(f.errorMessage, QStringLiteral("Apple Weather is not available on this system."));
        QCOMPARE(f.provider, WeatherProviderKind::weatherKit);
        QCOMPARE(f.attribution, QStringLiteral("Weather data by Apple Weather"));
        QCOMPARE(f.issuedAt, kNow);
        QCOMPARE(f.expiresAt, kNow);
        QVERIFY(!f.current && f.hourly.isEmpty() && f.daily.isEmpty() && f.alerts.isEmpty());
    }

    void mapsTheServicesAnswer() {
        const auto service = std::make_shared<FakeWeatherService>(WeatherServiceAnswer::success(weather()));
        const CancellationToken cancel = makeCancellation();
        const ProviderForecast f = fetch(service, cancel);

        QCOMPARE(service->calls, (QList<QPair<double, double>>{{48.8566, 2.3522}}));
        QCOMPARE(service->tokens.first(), cancel);
        QCOMPARE(f.errorMessage, std::nullopt);
        QCOMPARE(f.locationID, paris().id);
        // The service's own validity, even though it has already run out.
        QCOMPARE(f.issuedAt, at(2));
        QCOMPARE(f.expiresAt, at(-1));

        QVERIFY(f.current);
        QCOMPARE(f.current->condition, WeatherCondition::partlyCloudy);
        QCOMPARE(f.current->humidity, 0.75);
        QCOMPARE(f.current->windKph, 18.0);
        QCOMPARE(f.current->precipitationProbability, std::nullopt);

        QCOMPARE(f.hourly.size(), 24);
        QCOMPARE(f.hourly.first().date, at(2));
        QCOMPARE(f.hourly.last().date, at(25));
        QCOMPARE(f.hourly.first().precipitationProbability, 0.4);
        QCOMPARE(f.hourly.first().precipitationIntensityMmPerHour, 0.3);

        QCOMPARE(f.daily.size(), 10);
        QCOMPARE(f.daily.first().condition, WeatherCondition::sleet);
        QCOMPARE(f.daily.first().precipitationProbability, 0.2);
        QCOMPARE(f.daily.first().sunrise, std::nullopt);

        QCOMPARE(f.alerts.size(), 2);
        QCOMPARE(f.alerts[0].title, QStringLiteral("Paris"));
        QCOMPARE(f.alerts[0].severity, WeatherAlertSeverity::severe);
        QCOMPARE(f.alerts[0].source, WeatherProviderKind::weatherKit);
        QCOMPARE(f.alerts[0].effectiveAt, at(0));
        QCOMPARE(f.alerts[0].expiresAt, at(12));
        QCOMPARE(f.alerts[0].sourceURL, QUrl(QStringLiteral("https://weatherkit.apple.com/alertDetails/1")));
        QCOMPARE(f.alerts[1].title, QStringLiteral("Météo-France"));
        QCOMPARE(f.alerts[1].severity, WeatherAlertSeverity::moderate);
        QVERIFY(f.alerts[0].id != f.alerts[1].id);

        // The service gives alerts no identity: every refresh mints new ones.
        const ProviderForecast again = fetch(service);
        QVERIFY(again.alerts[0].id != f.alerts[0].id);
        QVERIFY(!again.alerts[0].id.isNull());

        WeatherKitWeather withoutAlerts = weather();
        withoutAlerts.weatherAlerts.reset();
        QVERIFY(WeatherKitWeatherClient::makeForecast(withoutAlerts, paris(), kNow, utcCalendar())
                    .alerts.isEmpty());
    }

    // A value that is not a number never reaches the forecast; without a temperature there is no sample.
    void valuesThatAreNotNumbersAreLeftOut() {
        const double nan = std::nan("");
        WeatherKitWeather w = weather();
        w.currentWeather.windSpeedKph = INFINITY;
        w.hourlyForecast[2].temperatureC = nan;
        w.hourlyForecast[3].precipitationAmountMm = nan;
        w.dailyForecast[0].lowTemperatureC = nan;
        // A date past year 9999 cannot be saved: the snapshot would no longer read back.
        w.dailyForecast[1].date = QDateTime(QDate(12025, 1, 1), QTime(0, 0), Qt::UTC);
        const ProviderForecast f = WeatherKitWeatherClient::makeForecast(w, paris(), kNow, utcCalendar());
        QCOMPARE(f.current->windKph, std::nullopt);
        QCOMPARE(f.hourly.first().date, at(3));
        QCOMPARE(f.hourly.first().precipitationIntensityMmPerHour, std::nullopt);
        QCOMPARE(f.hourly.size(), 24);
        QCOMPARE(f.daily.size(), 8);
        const auto saved = encodeDocument(f);
        QVERIFY2(saved.value, qPrintable(saved.error));
        QVERIFY(decodeDocument<ProviderForecast>(*saved.value));

        w.currentWeather.temperatureC = nan;
        QCOMPARE(WeatherKitWeatherClient::makeForecast(w, paris(), kNow, utcCalendar()).current,
                 std::nullopt);
    }
};

QTEST_GUILESS_MAIN(WeatherKitTest)
#include "tst_weatherkit.moc"
