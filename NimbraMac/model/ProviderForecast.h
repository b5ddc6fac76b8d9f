#pragma once

#include "DailyForecast.h"
#include "ForecastFreshness.h"
#include "JsonWriter.h"
#include "WeatherAlert.h"
#include "WeatherProviderKind.h"
#include "WeatherSample.h"

#include <QList>
#include <QUuid>

#include <optional>

namespace nimbra {

// Everything one provider returned for one location in one refresh, or why it returned nothing.
struct ProviderForecast {
    WeatherProviderKind provider = WeatherProviderKind::openMeteo;
    QUuid locationID;
    QDateTime issuedAt;
    QDateTime expiresAt;
    QString attribution;
    std::optional<WeatherSample> current;
    QList<WeatherSample> hourly;
    QList<DailyForecast> daily;
    QList<WeatherAlert> alerts;
    std::optional<QString> errorMessage;

    // Provider raw value, a hyphen and the location id's canonical text.
    QString id() const;
    ForecastFreshness freshness(const QDateTime& now) const;
    bool operator==(const ProviderForecast&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static ProviderForecast fromJson(const QJsonValue& value);
};

} // namespace nimbra
