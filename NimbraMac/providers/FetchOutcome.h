#pragma once

#include "HTTPSession.h"
#include "JsonCodec.h"
#include "WeatherProviderHTTPError.h"

#include <QUrl>

#include <memory>
#include <optional>

namespace nimbra {

// Why a request gave no document.
struct FetchFailure {
    // Set when the service answered with a failing status; some clients decide on it (OpenWeather's
    // fall-back).
    std::optional<WeatherProviderHTTPError> httpError;
    QString description;
};

// A provider document decoded from one answer, or why there is none.
template <typename T> struct FetchOutcome {
    std::optional<T> value;
    FetchFailure failure;

    explicit operator bool() const { return value.has_value(); }
};

QString unreadableAnswer(const QString& reason);
// The failure of an answer that is not a success.
FetchFailure fetchFailure(const HTTPResponse& response);

template <typename T> FetchOutcome<T> decodeAnswer(const HTTPResponse& response) {
    if (!response.isSuccess())
        return {std::nullopt, fetchFailure(response)};
    Coded<T> decoded = decodeDocument<T>(response.body);
    if (!decoded)
        return {std::nullopt, {std::nullopt, unreadableAnswer(decoded.error)}};
    return {std::move(decoded.value), {}};
}

// The services below take their key in the query string, where it could surface in any text that quotes the
// request or echoes the key. Every text a keyed client hands on passes through here first: every spelling the
// address could carry (as stored, percent-encoded, form-encoded with "+" for a blank), in any letter case.
QString withoutAPIKey(QString text, const QString& apiKey);
QStringList apiKeySpellings(const QString& apiKey);
// The key as a query value: every reserved character escaped, so the service receives it exactly as stored.
QString apiKeyQueryValue(const QString& apiKey);

// One GET of a keyed service, its answer decoded as T; a failure's text never carries the key.
template <typename T>
QCoro::Task<FetchOutcome<T>> fetchKeyedDocument(std::shared_ptr<HTTPSession> session, QNetworkRequest request,
                                                QString apiKey, CancellationToken cancel) {
    const HTTPResponse response = co_await session->get(std::move(request), std::move(cancel));
    FetchOutcome<T> outcome = decodeAnswer<T>(response);
    outcome.failure.description = withoutAPIKey(std::move(outcome.failure.description), apiKey);
    co_return outcome;
}

// The service's address with `path` appended to whatever path the base address has.
QUrl endpointURL(const QUrl& baseURL, const QUrl& defaultBaseURL, const QString& path);

} // namespace nimbra
