#include "LocationSearchService.h"

#include "JsonCodec.h"
#include "LocationManager.h"
#include "PreferredLanguage.h"
#include "WeatherProviderHTTPError.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <cmath>

namespace nimbra {
namespace {

struct GeocodingResult {
    QString name;
    double latitude = 0;
    double longitude = 0;
    std::optional<QString> country;
    std::optional<QString> admin1;
    std::optional<QString> admin2;

    static GeocodingResult fromJson(const QJsonValue& value) {
        const QJsonObject o = json::asObject(value, u"result");
        return {
            json::readString(o, u"name"),           json::readDouble(o, u"latitude"),
            json::readDouble(o, u"longitude"),      json::readOptionalString(o, u"country"),
            json::readOptionalString(o, u"admin1"), json::readOptionalString(o, u"admin2"),
        };
    }
};

struct GeocodingResponse {
    std::optional<QList<GeocodingResult>> results;

    // One result without a name or coordinates costs only that result, not the whole search.
    static GeocodingResponse fromJson(const QJsonValue& value) {
        const QJsonObject o = json::asObject(value, u"response");
        if (!json::optional(o, u"results"))
            return {};
        QList<GeocodingResult> usable;
        for (const QJsonValue& element : json::asArray(o.value(u"results"), u"results")) {
            if (auto result = decodeValue<GeocodingResult>(element))
                usable.append(std::move(*result.value));
        }
        return {usable};
    }
};

LocationSearchResult failure(LocationSearchError error) {
    return {{}, error, errorDescription(error)};
}

LocationSearchResult failure(const QString& description) {
    return {{}, std::nullopt, description};
}

WeatherLocation candidate(const GeocodingResult& result, const QDateTime& now) {
    WeatherLocation location;
    location.id = QUuid::createUuid();
    location.name = result.name;
    location.subtitle = LocationSearchService::subtitle(result.admin1, result.admin2, result.country);
    location.latitude = result.latitude;
    location.longitude = result.longitude;
    location.isCurrentLocation = false;
    location.allowsApproximateLocation = true;
    location.updatedAt = now;
    return location;
}

LocationSearchResult candidates(const HTTPResponse& response, const QDateTime& now) {
    if (response.transportError)
        return failure(*response.transportError);
    if (!response.isSuccess()) {
        // The service says why it refused ("Parameter count must be between 1 and 100."): pass that on.
        LocationSearchResult refused = failure(LocationSearchError::invalidResponse);
        if (const auto reason = providerErrorMessage(response.body); reason && !reason->trimmed().isEmpty())
            refused.errorDescription += u' ' + boundedProviderText(reason->trimmed());
        return refused;
    }
    // A decoder's text ("Missing key ...") means nothing to the person searching.
    const Coded<GeocodingResponse> decoded = decodeDocument<GeocodingResponse>(response.body);
    if (!decoded)
        return failure(LocationSearchError::invalidResponse);
    QList<WeatherLocation> mapped;
    for (const GeocodingResult& result : decoded->results.value_or(QList<GeocodingResult>{})) {
        // A place off the globe cannot be forecast, and its number would break the snapshot later; a blank
        // name would be an empty row in the list.
        if (isValidCoordinate(result.latitude, result.longitude) && !result.name.trimmed().isEmpty())
            mapped.append(candidate(result, now));
    }
    return {LocationSearchService::withoutNearDuplicates(mapped), std::nullopt, {}};
}

QCoro::Task<LocationSearchResult> fetch(std::shared_ptr<HTTPSession> session, QUrl url,
                                        std::shared_ptr<const Clock> clock, CancellationToken cancel) {
    const HTTPResponse response = co_await session->get(QNetworkRequest(url), std::move(cancel));
    co_return candidates(response, clock->now());
}

QCoro::Task<LocationSearchResult> ready(LocationSearchResult result) {
    co_return result;
}

} // namespace

QString errorDescription(LocationSearchError error) {
    switch (error) {
    case LocationSearchError::emptyQuery:
        return QCoreApplication::translate("LocationSearchService", "Enter a city or place to search.");
    case LocationSearchError::invalidURL:
        return QCoreApplication::translate("LocationSearchService",
                                           "Nimbra could not build a location search request.");
    case LocationSearchError::invalidResponse:
        return QCoreApplication::translate("LocationSearchService",
                                           "Location search did not return usable results.");
    }
    return {};
}

QUrl LocationSearchService::defaultBaseURL() {
    return QUrl(QStringLiteral("https://geocoding-api.open-meteo.com"));
}

LocationSearchService::LocationSearchService(std::shared_ptr<HTTPSession> session, QUrl baseURL,
                                             std::shared_ptr<const Clock> clock)
    : m_session(std::move(session)), m_baseURL(baseURL.isEmpty() ? defaultBaseURL() : std::move(baseURL)),
      m_clock(std::move(clock)) {}

QCoro::Task<LocationSearchResult> LocationSearchService::search(QString query, int count,
                                                                CancellationToken cancel) const {
    const QString name = query.trimmed();
    if (name.isEmpty())
        return ready(failure(LocationSearchError::emptyQuery));
    const auto url = searchURL(m_baseURL, name, count, preferredLanguageCode());
    if (!url)
        return ready(failure(LocationSearchError::invalidURL));
    // The coroutine gets its own copies: a copy of this service may be gone before the answer arrives.
    return fetch(m_session, *url, m_clock, std::move(cancel));
}

LocationSearchResult LocationSearchService::result(const HTTPResponse& response, const QDateTime& now) {
    return candidates(response, now);
}

std::optional<QUrl> LocationSearchService::searchURL(const QUrl& baseURL, const QString& name, int count,
                                                     const QString& language) {
    if (!baseURL.isValid() || baseURL.isRelative() || baseURL.host().isEmpty())
        return std::nullopt;
    QUrl url = baseURL;
    url.setPath(url.path().chopped(url.path().endsWith(u'/') ? 1 : 0) + QStringLiteral("/v1/search"));
    // Each value fully percent-encoded: QUrlQuery would leave "+" as it is, which the server reads as a
    // space.
    const QList<std::pair<const char*, QString>> items = {
        {"name", name},
        {"count", QString::number(count)},
        {"language", language},
        {"format", QStringLiteral("json")},
    };
    QStringList pairs;
    for (const auto& [key, value] : items)
        pairs.append(QLatin1String(key) + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(pairs.join(u'&'), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QString LocationSearchService::subtitle(const std::optional<QString>& admin1,
                                        const std::optional<QString>& admin2,
                                        const std::optional<QString>& country) {
    QStringList parts;
    for (const auto* part : {&admin1, &admin2, &country}) {
        if (!*part)
            continue;
        const QString text = (*part)->trimmed();
        // Only neighbours are folded: "A, B, A" stays as it is.
        if (!text.isEmpty() && (parts.isEmpty() || parts.last() != text))
            parts.append(text);
    }
    return parts.join(QStringLiteral(", "));
}

QList<WeatherLocation> LocationSearchService::withoutNearDuplicates(const QList<WeatherLocation>& locations) {
    QList<WeatherLocation> kept;
    for (const WeatherLocation& location : locations) {
        const bool near = std::any_of(kept.cbegin(), kept.cend(), [&](const WeatherLocation& k) {
            return std::abs(k.latitude - location.latitude) < 0.01 &&
                   std::abs(k.longitude - location.longitude) < 0.01;
        });
        if (!near)
            kept.append(location);
    }
    return kept;
}

} // namespace nimbra
