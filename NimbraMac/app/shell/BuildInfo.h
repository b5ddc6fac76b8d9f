#pragma once

#include <QString>
#include <QUrl>

namespace nimbra::BuildInfo {

// What this build was configured with. The version and the build number stand in for the bundle's
// "CFBundleShortVersionString" and "CFBundleVersion"; each caller applies its own fallback when one is empty.
QString version();
QString build();
// The application's reverse-DNS identifier (the desktop entry's name, the D-Bus name).
QString applicationIdentifier();
// The name the application gives itself. On X11 Qt makes it the class of the windows' WM_CLASS, which the
// desktop entry's StartupWMClass names so that taskbars tie the windows to the entry.
QString applicationName();

// Addresses the maker runs. An empty address switches its feature off: no updater, no usage event leaves the
// machine, no support button. A setting that is not a safe web address (https, or http to this computer)
// counts as empty.
QUrl updateFeedURL();
QUrl telemetryEndpoint();
QUrl websiteURL();
QUrl privacyURL();

// The address a build setting names, or an empty one when the text is not a safe web address.
QUrl webAddress(const QString& text);

} // namespace nimbra::BuildInfo
