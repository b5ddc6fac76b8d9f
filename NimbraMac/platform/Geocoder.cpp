#include "Geocoder.h"

#include "PreferredLanguage.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <initializer_list>

namespace nimbra {
namespace {

// The first of the keys that holds a text; a number or a blank text names nothing.
std::optional<QString> firstText(const QJsonObject& address, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        const QJsonValue value = address.value(QLatin1String(key));
        if (value.isString() && !value.toString().trimmed().isEmpty())
            return value.toString();
    }
    return std::nullopt;
}

QCoro::Task<ReverseGeocodeResult> lookUp(std::shared_ptr<HTTPSession> session, QNetworkRequest request,
                                         CancellationToken cancel, std::chrono::milliseconds timeout) {
    const HTTPResponse response = co_await session->get(std::move(request), std::move(cancel), timeout);
    co_return NominatimGeocoder::result(response);
}

} // namespace

QUrl NominatimGeocoder::defaultBaseURL() {
    return QUrl(QStringLiteral("https://nominatim.openstreetmap.org"));
}

NominatimGeocoder::NominatimGeocoder(std::shared_ptr<HTTPSession> session, QString userAgent, QUrl baseURL,
                                     std::chrono::milliseconds timeout)
    : m_session(std::move(session)), m_userAgent(std::move(userAgent)),
      m_baseURL(baseURL.isEmpty() ? defaultBaseURL() : std::move(baseURL)), m_timeout(timeout) {}

QCoro::Task<ReverseGeocodeResult> NominatimGeocoder::reverseGeocodeLocation(LocationFix location,
                                                                            CancellationToken cancel) {
    return lookUp(m_session, reverseRequest(m_baseURL, location, m_userAgent, preferredLanguageCode()),
                  std::move(cancel), m_timeout);
}

QNetworkRequest NominatimGeocoder::reverseRequest(const QUrl& baseURL, LocationFix location,
                                                  const QString& userAgent, const QString& language) {
    QUrl url = baseURL;
    url.setPath(url.path().chopped(url.path().endsWith(u'/') ? 1 : 0) + QStringLiteral("/reverse"));
    // A point and four decimals whatever the user's locale (QString::number never localises); about 10 m is
    // far finer than a town needs and keeps the exact position on the device. Zoom 10 asks for the city
    // level.
    QUrlQuery query;
    query.setQueryItems({
        {QStringLiteral("format"), QStringLiteral("jsonv2")},
        {QStringLiteral("lat"), QString::number(location.latitude, 'f', 4)},
        {QStringLiteral("lon"), QString::number(location.longitude, 'f', 4)},
        {QStringLiteral("zoom"), QStringLiteral("10")},
        {QStringLiteral("addressdetails"), QStringLiteral("1")},
        {QStringLiteral("accept-language"), language},
    });
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", userAgent.toUtf8());
    request.setRawHeader("Accept", "application/json");
    return request;
}

ReverseGeocodeResult NominatimGeocoder::result(const HTTPResponse& response) {
    if (response.transportError)
        return {{}, response.transportError};
    if (!response.isSuccess())
        return {
            {},
            QCoreApplication::translate("Geocoder", "The place-name service answered with HTTP status %1.")
                .arg(response.statusCode)};
    const QJsonDocument document = QJsonDocument::fromJson(response.body);
    if (!document.isObject())
        return {{},
                QCoreApplication::translate("Geocoder", "The place-name service gave an unreadable answer.")};
    const QJsonObject root = document.object();
    // A point at sea or outside any mapped area: Nominatim says so with status 200 and an error text.
    if (root.contains(u"error")) {
        const QString text = root.value(u"error").toString();
        return {{},
                text.isEmpty()
                    ? QCoreApplication::translate("Geocoder", "The place-name service found no place.")
                    : text};
    }
    const QJsonValue address = root.value(u"address");
    if (!address.isObject())
        return {};
    const QJsonObject a = address.toObject();
    return {{Placemark{
                firstText(a, {"city", "town", "village", "hamlet"}),
                firstText(a, {"county"}),
                firstText(a, {"state"}),
                firstText(a, {"country"}),
            }},
            std::nullopt};
}

} // namespace nimbra
