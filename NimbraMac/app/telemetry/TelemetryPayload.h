#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbra {

enum class TelemetryPrivacyMode { pseudonymousInstall, aggregate };

enum class TelemetryEvent {
    install,
    launch,
    dailyActive,
    updateSeen,
    popoverOpened,
    settingsOpened,
    telemetryDisabled,
};

// The event's name on the wire ("install", "daily_active", ...).
QString wireName(TelemetryEvent event);

// One usage event as it is posted. It carries no location, weather or settings value.
struct TelemetryPayload {
    QString app;
    QString event;
    // Left out of the body when absent.
    std::optional<QString> installHash;
    QString version;
    QString build;
    QString osMajor;
    QString arch;

    // One compact JSON object with the members "app", "event", "install_hash", "version", "build",
    // "os_major", "arch", in that order.
    QByteArray encoded() const;

    bool operator==(const TelemetryPayload&) const = default;
};

// SHA-256 of the UTF-8 text "<appID>:<installID>" as 64 lower-case hexadecimal digits: the same installation
// always gives the same hash, and the identifier itself never leaves the machine.
QString installHash(const QString& appID, const QString& installID);

// The running system's major version in decimal ("12" on Debian 12), "0" when it has none.
QString operatingSystemMajorVersion();
// The processor architecture the program was built for ("x86_64", "arm64").
QString buildArchitecture();

} // namespace nimbra
