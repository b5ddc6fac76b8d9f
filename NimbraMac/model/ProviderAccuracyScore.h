#pragma once

#include "WeatherProviderKind.h"

#include <QJsonObject>

namespace nimbra {

// How well one provider's temperatures matched in past comparisons.
struct ProviderAccuracyScore {
    WeatherProviderKind provider = WeatherProviderKind::openMeteo;
    int samples = 0;
    double meanAbsoluteTemperatureErrorC = 0;

    bool operator==(const ProviderAccuracyScore&) const = default;

    QJsonObject toJson() const;
    static ProviderAccuracyScore fromJson(const QJsonValue& value);
};

} // namespace nimbra
