#include "WeatherProviderHTTPError.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace nimbra {

QString WeatherProviderHTTPError::errorDescription() const {
    if (message && !message->isEmpty())
        return QStringLiteral("Provider returned HTTP %1: %2").arg(statusCode).arg(*message);
    return QStringLiteral("Provider returned HTTP %1.").arg(statusCode);
}

WeatherProviderHTTPError WeatherProviderHTTPError::fromResponse(const HTTPResponse& response) {
    return {response.statusCode, providerErrorMessage(response.body)};
}

std::optional<QString> providerErrorMessage(const QByteArray& body) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    const QJsonValue message = document.object().value(QLatin1String("message"));
    if (!message.isString())
        return std::nullopt;
    return message.toString();
}

std::optional<QString> responseFailure(const HTTPResponse& response) {
    if (response.transportError)
        return response.transportError;
    if (!response.isSuccess())
        return WeatherProviderHTTPError::fromResponse(response).errorDescription();
    return std::nullopt;
}

} // namespace nimbra
