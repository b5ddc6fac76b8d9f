#include "FixtureWeatherClient.h"
#include "PlaceholderWeatherClient.h"
#include "ProviderClientFactory.h"

#include <QTest>

using namespace nimbra;
using K = WeatherProviderKind;

namespace {

struct Described {
    K provider;
    QString placeholderReason; // empty for a live client
    bool fixture = false;
    bool operator==(const Described&) const = default;
};

QList<Described> describe(const QList<WeatherProviderClientPtr>& clients) {
    QList<Described> out;
    for (const auto& client : clients) {
        const auto* placeholder = dynamic_cast<const PlaceholderWeatherClient*>(client.get());
        out.append({client->provider(), placeholder ? placeholder->reason() : QString(),
                    dynamic_cast<const FixtureWeatherClient*>(client.get()) != nullptr});
    }
    return out;
}

} // namespace

class ClientFactoryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildsOneClientPerKindInRawValueOrder_data() {
        QTest::addColumn<bool>("withKeys");
        QTest::addColumn<bool>("useFixtures");
        QTest::addColumn<ProviderSet>("kinds");
        QTest::addColumn<QList<Described>>("expected");
        QTest::newRow("defaults without keys")
            << false << false << providers::liveSet()
            << QList<Described>{{K::metNorway, {}},
                                {K::openMeteo, {}},
                                {K::openWeather, "OpenWeather API key is missing."},
                                {K::tomorrowIO, "Tomorrow.io API key is missing."},
                                {K::weatherKit, {}}};
        QTest::newRow("defaults with keys") << true << false << providers::liveSet()
                                            << QList<Described>{{K::metNorway, {}},
                                                                {K::openMeteo, {}},
                                                                {K::openWeather, {}},
                                                                {K::tomorrowIO, {}},
                                                                {K::weatherKit, {}}};
        QTest::newRow("retired kinds stay placeholders even with keys")
            << true << false << ProviderSet{K::pirateWeather, K::visualCrossing, K::weatherAPI, K::nws}
            << QList<Described>{{K::nws, "NWS live client is not wired yet."},
                                {K::pirateWeather, "Pirate Weather has been retired in Nimbra."},
                                {K::visualCrossing, "Visual Crossing has been retired in Nimbra."},
                                {K::weatherAPI, "WeatherAPI.com has been retired in Nimbra."}};
        QTest::newRow("fixtures serve every kind")
            << false << true << ProviderSet{K::openMeteo, K::nws}
            << QList<Described>{{K::nws, {}, true}, {K::openMeteo, {}, true}};
        QTest::newRow("empty set") << false << false << ProviderSet{} << QList<Described>{};
    }
    void buildsOneClientPerKindInRawValueOrder() {
        QFETCH(bool, withKeys);
        QFETCH(bool, useFixtures);
        QFETCH(ProviderSet, kinds);
        QFETCH(QList<Described>, expected);
        ProviderClientFactory factory;
        factory.useFixtures = useFixtures;
        if (withKeys) {
            factory.configuration.openWeatherAPIKey = "ow-key";
            factory.configuration.tomorrowIOAPIKey = "tio-key";
            factory.configuration.visualCrossingAPIKey = "vc-key";
            factory.configuration.weatherAPIKey = "wa-key";
        }
        QCOMPARE(describe(factory.clients(kinds)), expected);
    }
};

QTEST_GUILESS_MAIN(ClientFactoryTest)
#include "tst_client_factory.moc"
