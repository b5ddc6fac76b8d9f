#pragma once

#include "HTTPSession.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbra {

// A provider answered with a status outside 200-299; `message` is its own explanation when the body had one.
struct WeatherProviderHTTPError {
    int statusCode = 0;
    std::optional<QString> message;

    // "Provider returned HTTP 401: Invalid API key", or "Provider returned HTTP 503." without a message.
    QString errorDescription() const;
    bool operator==(const WeatherProviderHTTPError&) const = default;

    // The error of a response that arrived with a failing status, its body's "message" included.
    static WeatherProviderHTTPError fromResponse(const HTTPResponse& response);
};

// The top-level "message" string of a JSON error body (or Open-Meteo's "reason" beside "error": true),
// unchanged; nothing for anything else.
std::optional<QString> providerErrorMessage(const QByteArray& body);

// The most characters of a provider's own text passed on: an error page echoed whole would flood the status
// line, the snapshot and the log. Cut only after an API key has been taken out, so no part of one is left.
inline constexpr qsizetype providerTextLimit = 300;
// The text, cut to the limit with an ellipsis when longer.
QString boundedProviderText(QString text);

// Why a response cannot be decoded as a forecast: the transport error, or the HTTP error's description for a
// failing status. Nothing for a successful answer.
std::optional<QString> responseFailure(const HTTPResponse& response);

} // namespace nimbra
