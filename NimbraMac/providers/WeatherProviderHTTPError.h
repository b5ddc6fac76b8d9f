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

// The top-level "message" string of a JSON error body, unchanged; nothing for anything else.
std::optional<QString> providerErrorMessage(const QByteArray& body);

// Why a response cannot be decoded as a forecast: the transport error, or the HTTP error's description for a
// failing status. Nothing for a successful answer.
std::optional<QString> responseFailure(const HTTPResponse& response);

} // namespace nimbra
