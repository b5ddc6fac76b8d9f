#include "Log.h"

namespace nimbra {

namespace {
Q_LOGGING_CATEGORY(lcProviders, NIMBRA_APP_IDENTIFIER ".Providers", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCache, NIMBRA_APP_IDENTIFIER ".Cache", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKeychain, NIMBRA_APP_IDENTIFIER ".Keychain", QtInfoMsg)
} // namespace

const QLoggingCategory& providersLog() {
    return lcProviders();
}

const QLoggingCategory& cacheLog() {
    return lcCache();
}

const QLoggingCategory& keychainLog() {
    return lcKeychain();
}

QString privateValue(const QLoggingCategory& category, const QString& value) {
    return category.isDebugEnabled() ? value : QStringLiteral("<private>");
}

} // namespace nimbra
