#include "LocationSearchService.h"
#include "LoopbackHTTPServer.h"
#include "TestSupport.h"

#include <QLocale>
#include <QTest>

#include <utility>

using namespace nimbra;
using namespace std::chrono_literals;

namespace {

const QDateTime kNow(QDate(2025, 6, 15), QTime(9, 30), Qt::UTC);
using Optional = std::optional<QString>;
using MaybeError = std::optional<LocationSearchError>;

QStringList names(const QList<WeatherLocation>& locations) {
    QStringList out;
    for (const WeatherLocation& l : locations)
        out.append(l.name);
    return out;
}

WeatherLocation at(const QString& name, double latitude, double longitude) {
    return {QUuid(), name, {}, latitude, longitude, false, true, {}};
}

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<nimbra::LocationSearchError>)
Q_DECLARE_METATYPE(QList<nimbra::WeatherLocation>)

class LocationSearchTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;

    LocationSearchResult search(const QString& query, QUrl base = {}) {
        const LocationSearchService service(std::make_shared<HTTPSession>(),
                                            base.isEmpty() ? m_server->baseURL() : base,
                                            std::make_shared<ManualClock>(kNow));
        return testing::runTask(service.search(query, 8), 10s).value_or(LocationSearchResult{{}, {}, "hung"});
    }

private Q_SLOTS:
    void init() {
        m_server = new LoopbackHTTPServer(this);
        QVERIFY(m_server->listen());
    }
    void cleanup() {
        QLocale::setDefault(QLocale::c());
        delete m_server;
    }

    void requestCarriesTrimmedNameCountLanguageAndFormat_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("language");
        QTest::newRow("C locale speaks English") << "Berlin"
                                                 << "C"
                                                 << "Berlin"
                                                 << "en";
        QTest::newRow("outer blanks trimmed, inner kept") << " \tBad  Tölz \n"
                                                          << "C"
                                                          << "Bad  Tölz"
                                                          << "en";
        QTest::newRow("bare language of a regional locale") << "München"
                                                            << "de_DE"
                                                            << "München"
                                                            << "de";
        QTest::newRow("reserved characters") << "A&B=C#1?"
                                             << "pt_BR"
                                             << "A&B=C#1?"
                                             << "pt";
    }
    void requestCarriesTrimmedNameCountLanguageAndFormat() {
        QFETCH(QString, query);
        QFETCH(QString, locale);
        QFETCH(QString, name);
        QFETCH(QString, language);
        QLocale::setDefault(QLocale(locale));
        m_server->route(QStringLiteral("/v1/search"), CannedResponse::json("{}"));

        const LocationSearchResult outcome = search(query);

        QVERIFY2(!outcome.failed(), qPrintable(outcome.errorDescription));
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest request = m_server->requests().first();
        QCOMPARE(request.path, QStringLiteral("/v1/search"));
        const QList<QPair<QString, QString>> expected = {
            {"name", name}, {"count", "8"}, {"language", language}, {"format", "json"}};
        QCOMPARE(request.query, expected);
    }

    // The loopback server decodes "+" and "%2B" alike, so the address itself is checked: a bare "+" would
    // reach the service as a space.
    void plusSignIsPercentEncoded() {
        const auto url = LocationSearchService::searchURL(QUrl("https://example.org"), "C++ Town", 8, "en");
        QVERIFY(url);
        QCOMPARE(url->query(QUrl::FullyEncoded),
                 QStringLiteral("name=C%2B%2B%20Town&count=8&language=en&format=json"));
    }

    void requestsNeverSent_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QUrl>("base");
        QTest::addColumn<MaybeError>("error");
        QTest::newRow("blanks and a line break")
            << "  \n\t " << QUrl() << MaybeError(LocationSearchError::emptyQuery);
        QTest::newRow("relative base address")
            << "Berlin" << QUrl("geocoding") << MaybeError(LocationSearchError::invalidURL);
        QTest::newRow("base address without host")
            << "Berlin" << QUrl("file:///tmp") << MaybeError(LocationSearchError::invalidURL);
    }
    void requestsNeverSent() {
        QFETCH(QString, query);
        QFETCH(QUrl, base);
        QFETCH(MaybeError, error);
        const LocationSearchResult outcome = search(query, base);
        QCOMPARE(outcome.error, error);
        QCOMPARE(outcome.errorDescription, errorDescription(*error));
        QVERIFY(m_server->requests().isEmpty());
    }

    void answers_data() {
        QTest::addColumn<CannedResponse>("response");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<MaybeError>("error");
        QTest::addColumn<bool>("failed");
        const MaybeError none;
        const auto invalid = MaybeError(LocationSearchError::invalidResponse);
        const QByteArray oslo =
            R"({"results":[{"name":" Oslo ","latitude":59.9,"longitude":10.7,"rank":1}]})";
        QTest::newRow("empty object") << CannedResponse::json("{}") << QStringList{} << none << false;
        QTest::newRow("results null")
            << CannedResponse::json(R"({"results":null})") << QStringList{} << none << false;
        QTest::newRow("name untrimmed, unknown keys ignored")
            << CannedResponse::json(oslo) << QStringList{" Oslo "} << none << false;
        QTest::newRow("404 with a valid body")
            << CannedResponse::json(oslo, 404) << QStringList{} << invalid << true;
        QTest::newRow("not JSON") << CannedResponse::text("<html>") << QStringList{} << invalid << true;
        QTest::newRow("results not an array")
            << CannedResponse::json(R"({"results":"none"})") << QStringList{} << invalid << true;
        QTest::newRow("top level an array") << CannedResponse::json("[]") << QStringList{} << invalid << true;
        QTest::newRow("results without a name (or a blank one) or coordinates are skipped")
            << CannedResponse::json(
                   R"({"results":[{"name":"A","latitude":1,"longitude":2},)"
                   R"({"name":"B","longitude":5.3},{"latitude":7,"longitude":8},)"
                   R"({"name":"C","latitude":"59.9","longitude":10.7},null,3,)"
                   R"({"name":" ","latitude":5,"longitude":6},{"name":"","latitude":5,"longitude":9},)"
                   R"({"name":"D","latitude":3,"longitude":4}]})")
            << QStringList{"A", "D"} << none << false;
        QTest::newRow("places off the globe are left out")
            << CannedResponse::json(R"({"results":[{"name":"N","latitude":90.5,"longitude":0},)"
                                    R"({"name":"Pole","latitude":-90,"longitude":-180},)"
                                    R"({"name":"E","latitude":10,"longitude":180.01}]})")
            << QStringList{"Pole"} << none << false;
    }
    void answers() {
        QFETCH(CannedResponse, response);
        QFETCH(QStringList, names);
        QFETCH(MaybeError, error);
        QFETCH(bool, failed);
        m_server->route(QStringLiteral("/v1/search"), response);

        const LocationSearchResult outcome = search(QStringLiteral("Oslo"));

        QCOMPARE(::names(outcome.locations), names);
        QCOMPARE(outcome.error, error);
        QCOMPARE(outcome.failed(), failed);
        QCOMPARE(!outcome.errorDescription.isEmpty(), failed);
        if (error)
            QCOMPARE(outcome.errorDescription, errorDescription(*error));
    }

    // A refusal keeps its fixed text and adds the service's own reason when it gives one.
    void refusalSaysWhy() {
        m_server->route(QStringLiteral("/v1/search"),
                        CannedResponse::json(
                            R"({"error":true,"reason":"Parameter count must be between 1 and 100."})", 400));
        LocationSearchResult outcome = search(QStringLiteral("Oslo"));
        QCOMPARE(outcome.error, LocationSearchError::invalidResponse);
        QCOMPARE(outcome.errorDescription, QStringLiteral("Location search did not return usable results. "
                                                          "Parameter count must be between 1 and 100."));

        m_server->route(QStringLiteral("/v1/search"), CannedResponse::json(R"({"error":true})", 500));
        outcome = search(QStringLiteral("Oslo"));
        QCOMPARE(outcome.errorDescription, errorDescription(LocationSearchError::invalidResponse));
    }

    void recordedAnswerMapsToCandidates() {
        m_server->route(QStringLiteral("/v1/search"),
                        CannedResponse::json(testing::readFile(
                            QFINDTESTDATA("../data/location/open-meteo-search-springfield.json"))));

        const LocationSearchResult outcome = search(QStringLiteral("Springfield"));

        // Springfield Center lies within 0.01 degrees of Springfield, Illinois, which comes first.
        QCOMPARE(::names(outcome.locations), QStringList({"Springfield", "Springfield", "Springfield"}));
        QStringList subtitles;
        for (const WeatherLocation& l : outcome.locations) {
            subtitles.append(l.subtitle);
            QVERIFY(!l.id.isNull() && !l.isCurrentLocation && l.allowsApproximateLocation);
            QCOMPARE(l.updatedAt, kNow);
        }
        QCOMPARE(subtitles, QStringList({"Missouri, Greene, United States",
                                         "Illinois, Sangamon, United States", "Queensland, Australia"}));
        QCOMPARE(std::pair(outcome.locations.at(1).latitude, outcome.locations.at(1).longitude),
                 std::pair(39.80172, -89.64371));
        QVERIFY(outcome.locations.at(0).id != outcome.locations.at(1).id);
    }

    void subtitle_data() {
        QTest::addColumn<Optional>("admin1");
        QTest::addColumn<Optional>("admin2");
        QTest::addColumn<Optional>("country");
        QTest::addColumn<QString>("subtitle");
        const Optional none;
        QTest::newRow("admin1 and country")
            << Optional("Bavaria") << none << Optional("Germany") << "Bavaria, Germany";
        QTest::newRow("equal after trimming shown once")
            << Optional(" Berlin") << Optional("Berlin\n") << Optional("Germany") << "Berlin, Germany";
        QTest::newRow("A, B, A stays") << Optional("A") << Optional("B") << Optional("A") << "A, B, A";
        QTest::newRow("blank between equals folds them")
            << Optional("Vaud") << Optional(" ") << Optional("Vaud") << "Vaud";
        QTest::newRow("only blanks or nothing") << Optional("") << Optional(" \t") << none << "";
    }
    void subtitle() {
        QFETCH(Optional, admin1);
        QFETCH(Optional, admin2);
        QFETCH(Optional, country);
        QFETCH(QString, subtitle);
        QCOMPARE(LocationSearchService::subtitle(admin1, admin2, country), subtitle);
    }

    void nearDuplicates_data() {
        QTest::addColumn<QList<WeatherLocation>>("locations");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("both within 0.005")
            << QList{at("A", 10, 20), at("B", 10.005, 20.005)} << QStringList{"A"};
        QTest::newRow("latitude 0.02 apart")
            << QList{at("A", 10, 20), at("B", 10.02, 20)} << QStringList{"A", "B"};
        QTest::newRow("longitude 0.02 apart")
            << QList{at("A", 10, 20), at("B", 10, 19.98)} << QStringList{"A", "B"};
        QTest::newRow("far place between keeps the order")
            << QList{at("A", 10, 20), at("B", 40, 50), at("C", 9.995, 20.001), at("D", 40.001, 49.999)}
            << QStringList{"A", "B"};
        QTest::newRow("compared with kept ones only")
            << QList{at("A", 10, 20), at("B", 10.008, 20), at("C", 10.016, 20)} << QStringList{"A", "C"};
    }
    void nearDuplicates() {
        QFETCH(QList<WeatherLocation>, locations);
        QFETCH(QStringList, kept);
        QCOMPARE(::names(LocationSearchService::withoutNearDuplicates(locations)), kept);
    }
};

QTEST_GUILESS_MAIN(LocationSearchTest)
#include "tst_location_search.moc"
