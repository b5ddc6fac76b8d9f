#pragma once

#include <QString>
#include <QUrl>

namespace nimbra {

// Addresses the application fetches from, posts to or opens in a browser: https with a host, or plain http
// to this computer only (for a local test server). Anything else (plain http across the network, local
// files, custom schemes, relative paths) is refused, so neither a build setting nor a feed can point
// elsewhere.
bool isSafeWebAddress(const QUrl& url);
// The address a text names, or an empty one when it is not a safe web address.
QUrl safeWebAddress(const QString& text);

} // namespace nimbra
