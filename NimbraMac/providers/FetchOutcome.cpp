#include "FetchOutcome.h"

#include <QCoreApplication>
#include <algorithm>

namespace nimbra {

QString unreadableAnswer(const QString& reason) {
    return QCoreApplication::translate("FetchOutcome", "The forecast could not be read: %1").arg(reason);
}

FetchFailure fetchFailure(const HTTPResponse& response) {
    if (response.transportError)
        return {std::nullopt, *response.transportError};
    const auto error = WeatherProviderHTTPError::fromResponse(response);
    return {error, error.errorDescription()};
}

QStringList apiKeySpellings(const QString& apiKey) {
    const QString encoded = apiKeyQueryValue(apiKey);
    QString formEncoded = encoded;
    formEncoded.replace(QStringLiteral("%20"), QStringLiteral("+"));
    QString plusForSpace = apiKey;
    plusForSpace.replace(u' ', u'+');
    QStringList spellings{apiKey, encoded, formEncoded, plusForSpace};
    spellings.removeDuplicates();
    // Longest first, so that no spelling is left half replaced by a shorter one inside it.
    std::stable_sort(spellings.begin(), spellings.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return spellings;
}

QString withoutAPIKey(QString text, const QString& apiKey) {
    if (apiKey.trimmed().isEmpty())
        return text;
    const QString hidden = QStringLiteral("<API key>");
    // Case-insensitive: services echo keys upper-cased, and escapes come as "%2b" as well as "%2B".
    for (const QString& spelling : apiKeySpellings(apiKey))
        text.replace(spelling, hidden, Qt::CaseInsensitive);
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
