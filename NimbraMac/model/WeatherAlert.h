#pragma once

#include "JsonWriter.h"
#include "WeatherAlertSeverity.h"
#include "WeatherProviderKind.h"

#include <QDateTime>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace nimbra {

// An official warning that a provider passed on.
struct WeatherAlert {
    QUuid id;
    WeatherProviderKind source = WeatherProviderKind::openMeteo;
    QString title;
    QString summary;
    WeatherAlertSeverity severity = WeatherAlertSeverity::minor;
    QDateTime effectiveAt;
    QDateTime expiresAt;
    std::optional<QUrl> sourceURL;

    bool operator==(const WeatherAlert&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static WeatherAlert fromJson(const QJsonValue& value);
};

} // namespace nimbra
