#include "BuildInfo.h"

#include "WebAddress.h"

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

QString applicationName() {
    return QStringLiteral("Nimbra");
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
    return safeWebAddress(text);
}

} // namespace nimbra::BuildInfo
