#pragma once

#include "RawValueEnum.h"

#include <QList>
#include <QSet>

namespace nimbra {

enum class WeatherProviderKind {
    openMeteo,
    weatherKit,
    openWeather,
    visualCrossing,
    nws,
    metNorway,
    weatherAPI,
    tomorrowIO,
    pirateWeather,
};

template <> struct EnumNames<WeatherProviderKind> {
    static constexpr const char* typeName = "WeatherProviderKind";
    static constexpr std::array<const char*, 9> rawValues = {"openMeteo",      "weatherKit", "openWeather",
                                                             "visualCrossing", "nws",        "metNorway",
                                                             "weatherAPI",     "tomorrowIO", "pirateWeather"};
};

using ProviderSet = QSet<WeatherProviderKind>;

namespace providers {
// The five live providers that take part in the blend, in their fixed order.
QList<WeatherProviderKind> allCases();
// All nine kinds in declaration order, retired ones included.
QList<WeatherProviderKind> everyKind();
ProviderSet liveSet();
QString id(WeatherProviderKind kind);
QString displayName(WeatherProviderKind kind);
double defaultWeight(WeatherProviderKind kind);
// Provider kinds and results are listed by raw value in ascending text order.
QList<WeatherProviderKind> sortedByRawValue(const ProviderSet& kinds);
bool rawValueLess(WeatherProviderKind a, WeatherProviderKind b);
} // namespace providers

} // namespace nimbra
