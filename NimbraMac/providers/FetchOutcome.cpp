#include "FetchOutcome.h"

namespace nimbra {

QString unreadableAnswer(const QString& reason) {
    return QStringLiteral("The forecast could not be read: %1").arg(reason);
}

FetchFailure fetchFailure(const HTTPResponse& response) {
    if (response.transportError)
        return {std::nullopt, *response.transportError};
    const auto error = WeatherProviderHTTPError::fromResponse(response);
    return {error, error.errorDescription()};
}

QString withoutAPIKey(QString text, const QString& apiKey) {
    if (apiKey.trimmed().isEmpty())
        return text;
    const QString hidden = QStringLiteral("<API key>");
    text.replace(apiKey, hidden);
    text.replace(apiKeyQueryValue(apiKey), hidden, Qt::CaseInsensitive);
    return text;
}

QString apiKeyQueryValue(const QString& apiKey) {
    return QString::fromLatin1(QUrl::toPercentEncoding(apiKey));
}

QUrl endpointURL(const QUrl& baseURL, const QUrl& defaultBaseURL, const QString& path) {
    QUrl url = baseURL.isEmpty() ? defaultBaseURL : baseURL;
    QString basePath = url.path();
    if (basePath.endsWith(u'/'))
        basePath.chop(1);
    url.setPath(basePath + path);
    return url;
}

} // namespace nimbra
