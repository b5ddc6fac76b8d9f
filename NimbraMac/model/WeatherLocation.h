#pragma once

#include "JsonWriter.h"
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

namespace nimbra {

// A saved place or the device's current location.
struct WeatherLocation {
    QUuid id;
    QString name;
    QString subtitle;
    double latitude = 0;
    double longitude = 0;
    bool isCurrentLocation = false;
    bool allowsApproximateLocation = false;
    QDateTime updatedAt;

    bool operator==(const WeatherLocation&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static WeatherLocation fromJson(const QJsonValue& value);
};

} // namespace nimbra
