#include "TelemetryPayload.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>

namespace nimbra {

namespace {

// A JSON string literal with the encoder's own escaping.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

void appendMember(QByteArray& out, const char* key, const QString& value) {
    if (out.size() > 1)
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += jsonString(value);
}

} // namespace

QString wireName(TelemetryEvent event) {
    switch (event) {
    case TelemetryEvent::install:
        return QStringLiteral("install");
    case TelemetryEvent::launch:
        return QStringLiteral("launch");
    case TelemetryEvent::dailyActive:
        return QStringLiteral("daily_active");
    case TelemetryEvent::updateSeen:
        return QStringLiteral("update_seen");
    case TelemetryEvent::popoverOpened:
        return QStringLiteral("popover_opened");
    case TelemetryEvent::settingsOpened:
        return QStringLiteral("settings_opened");
    case TelemetryEvent::telemetryDisabled:
        return QStringLiteral("telemetry_disabled");
    }
    return {};
}

QByteArray TelemetryPayload::encoded() const {
    QByteArray out = "{";
    appendMember(out, "app", app);
    appendMember(out, "event", event);
    if (installHash)
        appendMember(out, "install_hash", *installHash);
    appendMember(out, "version", version);
    appendMember(out, "build", build);
    appendMember(out, "os_major", osMajor);
    appendMember(out, "arch", arch);
    out += '}';
    return out;
}

QString installHash(const QString& appID, const QString& installID) {
    const QByteArray text = (appID + QLatin1Char(':') + installID).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

QString operatingSystemMajorVersion() {
    const QString version = QSysInfo::productVersion();
    QString digits;
    for (const QChar c : version) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        digits += c;
    }
    bool ok = false;
    const qulonglong major = digits.toULongLong(&ok);
    return ok ? QString::number(major) : QStringLiteral("0");
}

QString buildArchitecture() {
    return QSysInfo::buildCpuArchitecture();
}

} // namespace nimbra
