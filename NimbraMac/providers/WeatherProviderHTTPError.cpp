#include "WeatherProviderHTTPError.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace nimbra {

QString WeatherProviderHTTPError::errorDescription() const {
    if (message && !message->isEmpty())
        return QCoreApplication::translate("WeatherProviderHTTPError", "Provider returned HTTP %1: %2")
            .arg(statusCode)
            .arg(*message);
    return QCoreApplication::translate("WeatherProviderHTTPError", "Provider returned HTTP %1.")
        .arg(statusCode);
}

WeatherProviderHTTPError WeatherProviderHTTPError::fromResponse(const HTTPResponse& response) {
    return {response.statusCode, providerErrorMessage(response.body)};
}

std::optional<QString> providerErrorMessage(const QByteArray& body) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    QJsonValue message = object.value(QLatin1String("message"));
    // Open-Meteo, forecast and geocoding alike, explains a refused request as {"error": true, "reason": ...}.
    if (!message.isString() && object.value(QLatin1String("error")) == QJsonValue(true))
        message = object.value(QLatin1String("reason"));
    if (!message.isString())
        return std::nullopt;
    return message.toString();
}

QString boundedProviderText(QString text) {
    if (text.size() <= providerTextLimit)
        return text;
    qsizetype cut = providerTextLimit - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut; // never split a character in two
    text.truncate(cut);
    return text + QChar(0x2026);
}

std::optional<QString> responseFailure(const HTTPResponse& response) {
    if (response.transportError)
        return response.transportError;
    if (!response.isSuccess())
        return WeatherProviderHTTPError::fromResponse(response).errorDescription();
    return std::nullopt;
}

} // namespace nimbra
