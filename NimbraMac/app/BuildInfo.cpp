#include "BuildInfo.h"

namespace nimbra::BuildInfo {

QString version() {
    return QStringLiteral(NIMBRA_VERSION);
}

QString build() {
    return QStringLiteral(NIMBRA_BUILD_NUMBER);
}

QString applicationIdentifier() {
    return QStringLiteral(NIMBRA_APP_IDENTIFIER);
}

QUrl updateFeedURL() {
    return webAddress(QStringLiteral(NIMBRA_UPDATE_FEED_URL));
}

QUrl telemetryEndpoint() {
    return webAddress(QStringLiteral(NIMBRA_TELEMETRY_ENDPOINT));
}

QUrl websiteURL() {
    return webAddress(QStringLiteral(NIMBRA_WEBSITE_URL));
}

QUrl privacyURL() {
    return webAddress(QStringLiteral(NIMBRA_PRIVACY_URL));
}

QUrl webAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")) ||
        url.host().isEmpty())
        return {};
    return url;
}

} // namespace nimbra::BuildInfo
