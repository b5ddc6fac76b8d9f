// The one-line sentence about the next few hours that every consensus carries.
#include "ConsensusEngine.h"

#include "MostFrequentCondition.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace nimbra {
namespace {

constexpr qsizetype kWindowHours = 6;

// The highest finite value the samples hold for a field; none when no sample has one.
template <typename Field> std::optional<double> highest(const QList<WeatherSample>& window, Field field) {
    std::optional<double> top;
    for (const WeatherSample& s : window) {
        const std::optional<double> v = field(s);
        if (v && std::isfinite(*v) && (!top || *v > *top))
            top = v;
    }
    return top;
}

// Blended values carry rounding: 0.02 + 0.3 * (0.62 - 0.02) comes out a hair under 0.2, while the same value
// is shown as 20 %. A value within this margin below a threshold counts as reaching it, as exact arithmetic
// has it.
constexpr double kThresholdMargin = 1e-9;

bool below(double value, double threshold) {
    return value < threshold - kThresholdMargin;
}

} // namespace

QString ConsensusEngine::nextPrecipitationSummary(const WeatherSample& current,
                                                  const QList<WeatherSample>& hourly) {
    const QList<WeatherSample> window = hourly.first(std::min(hourly.size(), kWindowHours));
    if (window.isEmpty())
        return QCoreApplication::translate("ConsensusEngine", "Refresh to fetch the next few hours.");
    QStringList phrases{conditionPhrase(current.condition, window), rainChancePhrase(window)};
    if (const auto wind = windPhrase(window))
        phrases.append(*wind);
    if (const auto trend = temperatureTrendPhrase(window))
        phrases.append(*trend);
    return phrases.join(QStringLiteral(", ")) + u'.';
}

QString ConsensusEngine::conditionPhrase(WeatherCondition current, const QList<WeatherSample>& window) {
    QList<WeatherCondition> coming;
    for (const WeatherSample& s : window)
        coming.append(s.condition);
    const WeatherCondition dominant = mostFrequentCondition(coming);
    if (dominant == WeatherCondition::unknown || dominant == current)
        return conditions::title(current);
    switch (dominant) {
    case WeatherCondition::sleet:
        return QCoreApplication::translate("ConsensusEngine", "Sleet developing");
    case WeatherCondition::snow:
        return QCoreApplication::translate("ConsensusEngine", "Snow developing");
    case WeatherCondition::thunderstorm:
        return QCoreApplication::translate("ConsensusEngine", "Storms possible");
    case WeatherCondition::drizzle:
    case WeatherCondition::rain:
    case WeatherCondition::heavyRain:
        return QCoreApplication::translate("ConsensusEngine", "Rain developing");
    case WeatherCondition::fog:
        return QCoreApplication::translate("ConsensusEngine", "Fog developing");
    default:
        return QCoreApplication::translate("ConsensusEngine", "Turning %1")
            .arg(conditions::title(dominant).toLower());
    }
}

QString ConsensusEngine::rainChancePhrase(const QList<WeatherSample>& window) {
    const auto p = highest(window, [](const WeatherSample& s) { return s.precipitationProbability; });
    if (!p || below(*p, 0.2))
        return QCoreApplication::translate("ConsensusEngine", "dry");
    if (below(*p, 0.4))
        return QCoreApplication::translate("ConsensusEngine", "low rain risk");
    if (below(*p, 0.65))
        return QCoreApplication::translate("ConsensusEngine", "showers possible");
    return QCoreApplication::translate("ConsensusEngine", "rain likely");
}

std::optional<QString> ConsensusEngine::windPhrase(const QList<WeatherSample>& window) {
    const auto w = highest(window, [](const WeatherSample& s) { return s.windKph; });
    if (!w)
        return std::nullopt;
    if (below(*w, 12))
        return QCoreApplication::translate("ConsensusEngine", "light winds");
    if (below(*w, 28))
        return QCoreApplication::translate("ConsensusEngine", "breezy");
    return QCoreApplication::translate("ConsensusEngine", "windy");
}

std::optional<QString> ConsensusEngine::temperatureTrendPhrase(const QList<WeatherSample>& window) {
    if (window.isEmpty())
        return std::nullopt;
    // Only the two ends of the window count.
    const double change = window.last().temperatureC - window.first().temperatureC;
    if (!std::isfinite(change))
        return std::nullopt;
    if (!below(change, 2.0))
        return QCoreApplication::translate("ConsensusEngine", "warming later");
    if (!below(-change, 2.0))
        return QCoreApplication::translate("ConsensusEngine", "cooling later");
    return std::nullopt;
}

} // namespace nimbra
