#include "DeviceCurrentLocationService.h"
#include "LoopbackHTTPServer.h"
#include "ScriptedLocationManager.h"
#include "TestSupport.h"

#include <QFile>
#include <QGeoPositionInfoSource>
#include <QNmeaPositionInfoSource>
#include <QPointer>
#include <QTest>

#include <QCoro/QCoroSignal>

#include <cmath>
#include <limits>
#include <utility>

using namespace nimbra;
using namespace std::chrono_literals;

namespace {

const QDateTime kNow(QDate(2025, 6, 15), QTime(9, 30), Qt::UTC);
const QUuid kEntryID("{5E0C2C44-7A51-4D43-9B59-3C1B2F0A8D11}");
const LocationFix kBerlin{52.52, 13.405};
const LocationFix kPotsdam{52.39, 13.06};
using MaybeError = std::optional<CurrentLocationError>;

QCoro::Task<ReverseGeocodeResult> ready(ReverseGeocodeResult result) {
    co_return result;
}

QCoro::Task<ReverseGeocodeResult> untilCancelled(CancellationToken cancel) {
    if (!cancel->isCancelled())
        co_await qCoro(cancel.get(), &Cancellation::cancelled);
    co_return ReverseGeocodeResult{{}, QStringLiteral("cancelled")};
}

// Answers with `answer`, or never (until the caller gives up) when there is none.
class ScriptedGeocoder final : public Geocoder {
public:
    std::optional<ReverseGeocodeResult> answer = ReverseGeocodeResult{};
    QList<LocationFix> asked;

    QCoro::Task<ReverseGeocodeResult> reverseGeocodeLocation(LocationFix location,
                                                             CancellationToken cancel) override {
        asked.append(location);
        return answer ? ready(*answer) : untilCancelled(std::move(cancel));
    }
};

// A Qt source that answers every request with one error, as GeoClue does when the user refuses.
class FailingSource final : public QGeoPositionInfoSource {
public:
    explicit FailingSource(Error error) : QGeoPositionInfoSource(nullptr), m_error(error) {}
    QGeoPositionInfo lastKnownPosition(bool) const override { return {}; }
    PositioningMethods supportedPositioningMethods() const override { return AllPositioningMethods; }
    int minimumUpdateInterval() const override { return 0; }
    Error error() const override { return m_error; }
    void startUpdates() override {}
    void stopUpdates() override {}
    void requestUpdate(int) override {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT errorOccurred(m_error); }, Qt::QueuedConnection);
    }

private:
    Error m_error;
};

// A resolution left running while the test acts as the platform.
struct Call {
    std::shared_ptr<std::optional<CurrentLocationResult>> result;
    QCoro::Task<void> task;
    bool done() const { return result->has_value(); }
    MaybeError error() const { return (*result)->error; }
};

QCoro::Task<void> keep(QCoro::Task<CurrentLocationResult> task,
                       std::shared_ptr<std::optional<CurrentLocationResult>> out) {
    *out = co_await task;
}

Call start(CurrentLocationService& service, QUuid id = kEntryID) {
    auto out = std::make_shared<std::optional<CurrentLocationResult>>();
    return {out, keep(service.resolveCurrentLocation(id), out)};
}

} // namespace

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<nimbra::Placemark>)
Q_DECLARE_METATYPE(std::optional<nimbra::ReverseGeocodeResult>)
Q_DECLARE_METATYPE(std::optional<nimbra::CurrentLocationError>)
Q_DECLARE_METATYPE(std::optional<nimbra::LocationFix>)
Q_DECLARE_METATYPE(std::optional<QList<nimbra::LocationFix>>)
Q_DECLARE_METATYPE(nimbra::CannedResponse)

class CurrentLocationTest : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<ScriptedLocationServices> m_services;
    std::shared_ptr<ScriptedGeocoder> m_geocoder;
    std::unique_ptr<DeviceCurrentLocationService> m_service;

    void makeService(std::shared_ptr<LocationServices> services, std::shared_ptr<Geocoder> geocoder,
                     std::chrono::milliseconds fixTimeout = 5s,
                     std::chrono::milliseconds geocodeTimeout = 5s) {
        m_service = std::make_unique<DeviceCurrentLocationService>(
            std::move(services), std::move(geocoder),
            CurrentLocationEnvironment{std::make_shared<ManualClock>(kNow), fixTimeout, geocodeTimeout});
    }

    // The last request's manager was stopped (unless the event loop already released it) and is released.
    void verifyTornDown() {
        QVERIFY(!m_service->isRequestPending());
        QVERIFY(!m_service->manager());
        const QPointer<ScriptedLocationManager> last = m_services->managers().last();
        QVERIFY(!last || last->stopCount() == 1);
        QTRY_VERIFY(last.isNull());
    }

private Q_SLOTS:
    void init() {
        m_services = std::make_shared<ScriptedLocationServices>();
        m_services->locationAnswer = QList{kBerlin};
        m_geocoder = std::make_shared<ScriptedGeocoder>();
        makeService(m_services, m_geocoder);
    }
    void cleanup() {
        m_service.reset();
        QLocale::setDefault(QLocale::c());
    }

    void naming_data() {
        QTest::addColumn<std::optional<Placemark>>("placemark");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("no placemark") << std::optional<Placemark>() << "Current Location"
                                      << "Current location";
        QTest::newRow("full") << std::optional(Placemark{"Munich", "Upper Bavaria", "Bavaria", "Germany"})
                              << "Munich"
                              << "Bavaria, Germany";
        QTest::newRow("administrative area as name is not repeated")
            << std::optional(Placemark{{}, {}, "Bavaria", "Germany"}) << "Bavaria"
            << "Germany";
        QTest::newRow("blank parts") << std::optional(Placemark{"Oslo", {}, "  ", "\n "}) << "Oslo"
                                     << "Current location";
        QTest::newRow("city-state, trimmed")
            << std::optional(Placemark{"Singapore", {}, " Singapore ", "Singapore"}) << "Singapore"
            << "Current location";
        QTest::newRow("equal neighbours")
            << std::optional(Placemark{"Vaduz", {}, "Liechtenstein", "Liechtenstein"}) << "Vaduz"
            << "Liechtenstein";
        QTest::newRow("blank locality names nothing")
            << std::optional(Placemark{" ", {}, "Texas", "United States"}) << "Texas"
            << "United States";
    }
    void naming() {
        QFETCH(std::optional<Placemark>, placemark);
        QFETCH(QString, name);
        QFETCH(QString, subtitle);
        QCOMPARE(DeviceCurrentLocationService::placeName(placemark), name);
        QCOMPARE(DeviceCurrentLocationService::placeSubtitle(placemark, name), subtitle);
    }

    void oneRequest_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("status");
        QTest::addColumn<std::optional<int>>("dialogueAnswer");
        // Delivered from inside the request, as some sources do; none: never delivered.
        QTest::addColumn<std::optional<QList<LocationFix>>>("fixes");
        QTest::addColumn<std::optional<LocationFix>>("used");
        QTest::addColumn<MaybeError>("error");
        const std::optional<int> asked;
        const auto berlin = std::optional(QList{kBerlin});
        const auto found = std::optional(kBerlin);
        const std::optional<LocationFix> none;
        const auto refused = MaybeError(CurrentLocationError::permissionDenied);
        const auto unavailable = MaybeError(CurrentLocationError::unavailable);
        const LocationFix nowhere{std::numeric_limits<double>::quiet_NaN(), 13.4};
        QTest::newRow("services off")
            << false << 4 << asked << berlin << none << MaybeError(CurrentLocationError::servicesDisabled);
        QTest::newRow("when in use") << true << 4 << asked << berlin << found << MaybeError();
        QTest::newRow("always") << true << 3 << asked << berlin << found << MaybeError();
        QTest::newRow("restricted") << true << 1 << asked << berlin << none << refused;
        QTest::newRow("denied") << true << 2 << asked << berlin << none << refused;
        QTest::newRow("unknown status") << true << 7 << asked << berlin << none << unavailable;
        QTest::newRow("dialogue allows") << true << 0 << std::optional(4) << berlin << found << MaybeError();
        QTest::newRow("dialogue denies") << true << 0 << std::optional(2) << berlin << none << refused;
        QTest::newRow("dialogue never answered") << true << 0 << asked << berlin << none << unavailable;
        QTest::newRow("fix never delivered")
            << true << 4 << asked << std::optional<QList<LocationFix>>() << none << unavailable;
        QTest::newRow("three fixes, last counts")
            << true << 4 << asked << std::optional(QList{kPotsdam, kPotsdam, kBerlin}) << found
            << MaybeError();
        QTest::newRow("empty list") << true << 4 << asked << std::optional(QList<LocationFix>{}) << none
                                    << unavailable;
        QTest::newRow("broken newest reading skipped")
            << true << 4 << asked << std::optional(QList{kPotsdam, nowhere}) << std::optional(kPotsdam)
            << MaybeError();
        QTest::newRow("only readings off the globe")
            << true << 4 << asked << std::optional(QList{LocationFix{90.5, 0}, LocationFix{0, -180.5}})
            << none << unavailable;
    }
    void oneRequest() {
        QFETCH(bool, enabled);
        QFETCH(int, status);
        QFETCH(std::optional<int>, dialogueAnswer);
        QFETCH(std::optional<QList<LocationFix>>, fixes);
        QFETCH(std::optional<LocationFix>, used);
        QFETCH(MaybeError, error);
        m_services->enabled = enabled;
        m_services->initialStatus = status;
        m_services->locationAnswer = fixes;
        // Short, so the silent rows end quickly; the others end long before.
        makeService(m_services, m_geocoder, 100ms);

        const Call call = start(*m_service);
        // Read at once: the event loop releases a finished request's manager.
        const double accuracy = enabled ? m_services->lastManager()->desiredAccuracy() : 0;
        if (dialogueAnswer) {
            QVERIFY(!call.done());
            m_services->lastManager()->answerAuthorization(*dialogueAnswer);
        }
        QTRY_VERIFY_WITH_TIMEOUT(call.done(), 5000);

        QCOMPARE(call.error(), error);
        QCOMPARE(m_geocoder->asked, used ? QList{*used} : QList<LocationFix>{});
        if (error)
            QCOMPARE((*call.result)->errorDescription, errorDescription(*error));
        if (!enabled) {
            QVERIFY(m_services->managers().isEmpty());
            return;
        }
        QCOMPARE(accuracy, 1000.0);
        verifyTornDown();
    }

    void newerRequestCancelsTheWaitingOne() {
        m_services->initialStatus = locationAuthorization::notDetermined;
        const Call first = start(*m_service);
        const QPointer<ScriptedLocationManager> firstManager = m_services->lastManager();
        const Call second = start(*m_service);
        QVERIFY(first.done());
        QCOMPARE(first.error(), MaybeError(CurrentLocationError::cancelled));
        QVERIFY(!second.done());

        // The replaced manager is released, and anything it still says reaches nobody.
        if (firstManager) {
            firstManager->answerAuthorization(locationAuthorization::denied);
            firstManager->deliver({kPotsdam});
        }
        QVERIFY(!second.done());
        QTRY_VERIFY(firstManager.isNull());

        m_services->lastManager()->answerAuthorization(locationAuthorization::notDetermined);
        QVERIFY(!second.done());
        m_services->lastManager()->answerAuthorization(locationAuthorization::authorizedWhenInUse);
        QTRY_VERIFY(second.done());
        QCOMPARE((*second.result)->location->latitude, kBerlin.latitude);
        verifyTornDown();
    }

    // A request withdrawn while it waits ends as cancelled and stops its manager; withdrawing with nothing
    // pending changes nothing.
    void withdrawnRequestEndsAndStopsPositioning() {
        m_services->initialStatus = locationAuthorization::notDetermined;
        const Call call = start(*m_service);
        QVERIFY(!call.done());
        m_service->cancelPendingRequest();
        QVERIFY(call.done());
        QCOMPARE(call.error(), MaybeError(CurrentLocationError::cancelled));
        verifyTornDown();
        m_service->cancelPendingRequest();
        QVERIFY(!m_service->isRequestPending());
    }

    void servicesSwitchedOffLeaveTheWaitingRequestAlone() {
        m_services->initialStatus = locationAuthorization::notDetermined;
        const Call waiting = start(*m_service);
        m_services->enabled = false;
        const Call refused = start(*m_service);
        QVERIFY(refused.done());
        QCOMPARE(refused.error(), MaybeError(CurrentLocationError::servicesDisabled));
        QVERIFY(!waiting.done());
        QCOMPARE(m_services->managers().size(), 1);

        m_services->lastManager()->answerAuthorization(locationAuthorization::authorizedAlways);
        QTRY_VERIFY(waiting.done());
        QVERIFY((*waiting.result)->location);
    }

    void placeNaming_data() {
        QTest::addColumn<std::optional<ReverseGeocodeResult>>("answer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("named") << std::optional(ReverseGeocodeResult{
                                      {Placemark{"Berlin", {}, "Berlin", "Germany"}}, {}})
                               << "Berlin"
                               << "Germany";
        QTest::newRow("offline") << std::optional(ReverseGeocodeResult{{}, QStringLiteral("offline")})
                                 << "Current Location"
                                 << "Current location";
        QTest::newRow("no answer in time") << std::optional<ReverseGeocodeResult>() << "Current Location"
                                           << "Current location";
    }
    void placeNaming() {
        QFETCH(std::optional<ReverseGeocodeResult>, answer);
        QFETCH(QString, name);
        QFETCH(QString, subtitle);
        makeService(m_services, m_geocoder, 5s, 100ms);
        m_geocoder->answer = answer;

        const Call call = start(*m_service);
        QTRY_VERIFY_WITH_TIMEOUT(call.done(), 5000);

        // A fix that could not be named is still a fix: its coordinates are real and go on to the forecast.
        const std::optional<WeatherLocation>& location = (*call.result)->location;
        QVERIFY(location);
        QCOMPARE(location->id, kEntryID);
        QCOMPARE(location->name, name);
        QCOMPARE(location->subtitle, subtitle);
        QCOMPARE(std::pair(location->latitude, location->longitude),
                 std::pair(kBerlin.latitude, kBerlin.longitude));
        QVERIFY(location->isCurrentLocation && location->allowsApproximateLocation);
        QCOMPARE(location->updatedAt, kNow);
    }

    void destroyedServiceEndsTheWaitingCall() {
        m_services->initialStatus = locationAuthorization::notDetermined;
        const Call call = start(*m_service);
        m_service.reset();
        QVERIFY(call.done());
        QCOMPARE(call.error(), MaybeError(CurrentLocationError::cancelled));
    }

    // The Qt Positioning manager, on a source of each kind: a replayed NMEA log, none at all, and failing
    // ones.
    void positioningManager_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<MaybeError>("error");
        QTest::addColumn<QString>("description");
        QTest::newRow("NMEA log") << "nmea" << MaybeError() << "";
        QTest::newRow("no source") << "" << MaybeError(CurrentLocationError::permissionDenied)
                                   << errorDescription(CurrentLocationError::permissionDenied);
        QTest::newRow("access refused") << "access" << MaybeError(CurrentLocationError::permissionDenied)
                                        << errorDescription(CurrentLocationError::permissionDenied);
        QTest::newRow("source timed out")
            << "timeout" << MaybeError() << "The location service found no position in time.";
    }
    void positioningManager() {
        QFETCH(QString, source);
        QFETCH(MaybeError, error);
        QFETCH(QString, description);
        const QString log = QFINDTESTDATA("../data/location/berlin.nmea");
        auto services =
            std::make_shared<PositioningLocationServices>([source, log]() -> QGeoPositionInfoSource* {
                if (source == u"access")
                    return new FailingSource(QGeoPositionInfoSource::AccessError);
                if (source == u"timeout")
                    return new FailingSource(QGeoPositionInfoSource::UpdateTimeoutError);
                if (source.isEmpty())
                    return nullptr;
                auto* nmea = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode);
                auto* file = new QFile(log, nmea);
                if (!file->open(QIODevice::ReadOnly))
                    qFatal("cannot read the NMEA log");
                nmea->setDevice(file);
                return nmea;
            });
        QVERIFY(services->locationServicesEnabled());
        makeService(services, m_geocoder);

        const Call call = start(*m_service);
        QTRY_VERIFY_WITH_TIMEOUT(call.done(), 10000);

        QCOMPARE(call.error(), error);
        QCOMPARE((*call.result)->errorDescription, description);
        if (source == u"nmea") {
            const WeatherLocation& l = *(*call.result)->location;
            QVERIFY2(std::abs(l.latitude - 52.52) < 1e-6 && std::abs(l.longitude - 13.405) < 1e-6,
                     qPrintable(QStringLiteral("%1 %2").arg(l.latitude).arg(l.longitude)));
        }
        QVERIFY(!m_service->manager());
    }

    void nominatimAnswers_data() {
        QTest::addColumn<CannedResponse>("response");
        QTest::addColumn<QList<Placemark>>("placemarks");
        QTest::addColumn<bool>("failed");
        const auto file = [](const char* name) {
            return CannedResponse::json(
                testing::readFile(QFINDTESTDATA(QStringLiteral("../data/location/") + QLatin1String(name))));
        };
        QTest::newRow("city") << file("nominatim-reverse-berlin.json")
                              << QList{Placemark{"Berlin", {}, {}, "Deutschland"}} << false;
        QTest::newRow("village with county and state")
            << file("nominatim-reverse-village.json")
            << QList{Placemark{"Fischbachau", "Landkreis Miesbach", "Bayern", "Deutschland"}} << false;
        QTest::newRow("town before village and hamlet")
            << CannedResponse::json(R"({"address":{"hamlet":"H","village":"V","town":"T","country":"C"}})")
            << QList{Placemark{"T", {}, {}, "C"}} << false;
        QTest::newRow("numbers and blanks name nothing")
            << CannedResponse::json(R"({"address":{"city":" ","town":7,"village":"V","state":null}})")
            << QList{Placemark{"V", {}, {}, {}}} << false;
        QTest::newRow("no address") << CannedResponse::json(R"({"place_id":1})") << QList<Placemark>{}
                                    << false;
        QTest::newRow("nothing there")
            << CannedResponse::json(R"({"error":"Unable to geocode"})") << QList<Placemark>{} << true;
        QTest::newRow("server error") << CannedResponse::text("busy", 503) << QList<Placemark>{} << true;
        QTest::newRow("stalled") << CannedResponse::stalled() << QList<Placemark>{} << true;
    }
    void nominatimAnswers() {
        QFETCH(CannedResponse, response);
        QFETCH(QList<Placemark>, placemarks);
        QFETCH(bool, failed);
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route(QStringLiteral("/reverse"), response);
        // A locale that writes decimal commas must not leak into the coordinates.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        NominatimGeocoder geocoder(std::make_shared<HTTPSession>(),
                                   QStringLiteral("Nimbra/0.1 a@example.org"), server.baseURL(), 200ms);

        const auto result = testing::runTask(geocoder.reverseGeocodeLocation({-33.86781, 151.20736}), 5s);

        QVERIFY(result);
        QCOMPARE(result->placemarks, placemarks);
        QCOMPARE(result->error.has_value(), failed);
        QCOMPARE(server.requests().size(), 1);
        const RecordedRequest request = server.requests().first();
        QCOMPARE(request.path, QStringLiteral("/reverse"));
        const QList<QPair<QString, QString>> expected = {{"format", "jsonv2"},    {"lat", "-33.8678"},
                                                         {"lon", "151.2074"},     {"zoom", "10"},
                                                         {"addressdetails", "1"}, {"accept-language", "de"}};
        QCOMPARE(request.query, expected);
        QCOMPARE(request.header("User-Agent"), QByteArray("Nimbra/0.1 a@example.org"));
    }
};

QTEST_GUILESS_MAIN(CurrentLocationTest)
#include "tst_current_location.moc"
