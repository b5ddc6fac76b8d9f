#pragma once

#include <QLoggingCategory>
#include <QString>

namespace nimbra {

// "<identifier>.Providers": the refresh pipeline's lines. Info and above are on by default.
const QLoggingCategory& providersLog();
// "<identifier>.Cache": the snapshot file's lines.
const QLoggingCategory& cacheLog();
// "<identifier>.Keychain": the keyring's lines (never a key).
const QLoggingCategory& keychainLog();

// A personal value (a place name, a provider's error text) as it may appear in a log line: "<private>",
// unless the category's debug messages are switched on
// (QT_LOGGING_RULES="<identifier>.Providers.debug=true").
QString privateValue(const QLoggingCategory& category, const QString& value);

} // namespace nimbra
