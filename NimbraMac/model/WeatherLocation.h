#pragma once

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
    static WeatherLocation fromJson(const QJsonValue& value);
};

} // namespace nimbra
