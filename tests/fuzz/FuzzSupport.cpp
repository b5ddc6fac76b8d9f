#include "FuzzSupport.h"

#include "ConsensusEngine.h"
#include "JsonCodec.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <cstdio>
#include <cstdlib>

namespace nimbra::fuzz {
namespace {

void dropMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

// Where the two payloads' texts part, with some context: enough to see which value changed. Values that
// write alike but compare unequal show as the whole text.
QString firstDifference(const CachedWeatherPayload& expected, const CachedWeatherPayload& actual) {
    const QByteArray a = expected.encoded().value.value_or(QByteArray());
    const QByteArray b = actual.encoded().value.value_or(QByteArray());
    qsizetype at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size())
        return QStringLiteral("the same text, unequal values: ") + QString::fromUtf8(a);
    const qsizetype from = qMax<qsizetype>(0, at - 200);
    return QStringLiteral("expected ...%1\nactual   ...%2")
        .arg(QString::fromUtf8(a.mid(from, 300)), QString::fromUtf8(b.mid(from, 300)));
}

} // namespace

void ensureApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "nimbra-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    // Millions of inputs would each log a line or two.
    qInstallMessageHandler(dropMessage);
}

QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

QList<QByteArray> parts(const QByteArray& input, int count) {
    QList<QByteArray> out = input.split('\0');
    while (out.size() > count)
        out.removeLast();
    while (out.size() < count)
        out.append(out.last());
    return out;
}

void require(bool holds, const char* what, const QString& detail) {
    if (holds)
        return;
    std::fprintf(stderr, "Invariant broken: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

LocalCalendar calendarFor(std::size_t seed) {
    static const QList<QTimeZone> zones = {QTimeZone::utc(), QTimeZone(14 * 3600), QTimeZone(-12 * 3600)};
    return LocalCalendar(zones[qsizetype(seed % std::size_t(zones.size()))], QLocale::c());
}

WeatherLocation sampleLocation() {
    static const WeatherLocation location{QUuid(QStringLiteral("{6f1c2a4e-3b5d-4c7e-9f10-2a3b4c5d6e7f}")),
                                          QStringLiteral("Sample"),
                                          QStringLiteral("Fuzzland"),
                                          40.7128,
                                          -74.006,
                                          false,
                                          true,
                                          QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC)};
    return location;
}

void requireRoundTrip(const CachedWeatherPayload& payload, const char* what) {
    const Coded<QByteArray> encoded = payload.encoded();
    require(bool(encoded), what, QStringLiteral("does not encode: ") + encoded.error);
    QStringList dropped;
    const Coded<CachedWeatherPayload> decoded = CachedWeatherPayload::decode(*encoded, &dropped);
    require(bool(decoded), what, QStringLiteral("does not decode: ") + decoded.error);
    require(dropped.isEmpty(), what, QStringLiteral("entries dropped: ") + dropped.join(u'\n'));
    require(*decoded == payload, what,
            QStringLiteral("comes back different: ") + firstDifference(payload, *decoded));
}

void requireStorable(const ProviderForecast& forecast, const WeatherLocation& location, const QDateTime& now,
                     const LocalCalendar& calendar) {
    const ManualClock clock(now);
    const ConsensusForecast consensus =
        ConsensusEngine::build(location, {forecast}, AccuracyScores{}, now, calendar, clock);
    CachedWeatherPayload payload;
    payload.locations = {location};
    payload.settings.menuBarLocationID = location.id;
    payload.selectedForecast = consensus;
    payload.forecasts.insert(location.id, consensus);
    payload.providerForecasts.insert(location.id, {forecast});
    requireRoundTrip(payload, "a forecast a client returned, in the snapshot");
}

int checkForecastDecoder(const std::uint8_t* data, std::size_t size, const QDateTime& now,
                         ForecastDecoder decode) {
    ensureApplication();
    const Answer answer{bytes(data, size), sampleLocation(), now, calendarFor(size)};
    const std::optional<ProviderForecast> forecast = decode(answer);
    if (!forecast)
        return 0;
    require(forecast->locationID == answer.location.id, "a forecast names the place asked about",
            forecast->locationID.toString());
    requireStorable(*forecast, answer.location, now, answer.calendar);
    return 0;
}

} // namespace nimbra::fuzz
