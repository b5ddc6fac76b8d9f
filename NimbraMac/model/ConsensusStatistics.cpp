// The small numeric rules of the consensus: median, weighted mean, precipitation blend, spread, confidence.
#include "ConsensusEngine.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace nimbra {
namespace {

// Non-finite values count as absent: a NaN would break the ordering the sorts rely on, and an infinity would
// swamp every mean it enters.
// On the stack for the handful of providers a blend sees.
using Sorted = QVarLengthArray<double, 16>;

Sorted sortedFinite(const QList<double>& values) {
    Sorted out;
    out.reserve(values.size());
    for (const double v : values) {
        if (std::isfinite(v))
            out.append(v);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::optional<double> finiteOrNone(double value) {
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

// Highest minus lowest of the finite values; none when there is none.
std::optional<double> range(const QList<double>& values) {
    const Sorted sorted = sortedFinite(values);
    if (sorted.isEmpty())
        return std::nullopt;
    return finiteOrNone(sorted.back() - sorted.front());
}

} // namespace

std::optional<double> ConsensusEngine::median(const QList<double>& values) {
    const Sorted v = sortedFinite(values);
    const auto n = std::size_t(v.size());
    if (n == 0)
        return std::nullopt;
    if (n % 2 == 1)
        return v[n / 2];
    // std::midpoint is (a + b) / 2 for ordinary values and does not overflow near the limits.
    return std::midpoint(v[n / 2 - 1], v[n / 2]);
}

std::optional<double> ConsensusEngine::weightedMean(const QList<WeightedValue>& values) {
    double total = 0;
    double sum = 0;
    for (const WeightedValue& v : values) {
        if (!std::isfinite(v.value) || !std::isfinite(v.weight))
            continue;
        total += v.weight;
        sum += v.value * v.weight;
    }
    if (!(total > 0))
        return std::nullopt;
    return finiteOrNone(sum / total);
}

std::optional<double> ConsensusEngine::precipitationBlend(const QList<double>& values) {
    const Sorted v = sortedFinite(values);
    const auto n = std::size_t(v.size());
    if (n == 0)
        return std::nullopt;
    const double middle = v[n / 2];
    const double highest = v[n - 1];
    // 0.7 * middle + 0.3 * highest, written so that it is exactly `middle` when the two agree: the weighted
    // sum falls one unit in the last place short (0.7 * 0.2 + 0.3 * 0.2 < 0.2), which would push an agreed
    // chance below the thresholds of the next-hours sentence.
    return finiteOrNone(middle + 0.3 * (highest - middle));
}

std::optional<ForecastSpread> ConsensusEngine::spread(const QList<WeatherSample>& currentSamples) {
    QList<double> temperatures, winds, probabilities;
    for (const WeatherSample& s : currentSamples) {
        temperatures.append(s.temperatureC);
        if (s.windKph)
            winds.append(*s.windKph);
        if (s.precipitationProbability)
            probabilities.append(*s.precipitationProbability);
    }
    // Without a single usable temperature there is no disagreement to report.
    const auto temperature = range(temperatures);
    if (!temperature)
        return std::nullopt;
    return ForecastSpread{*temperature, range(winds), range(probabilities)};
}

double ConsensusEngine::confidence(int providerCount, const std::optional<ForecastSpread>& spread,
                                   bool isFresh) {
    if (!isFresh)
        return 0.35;
    const double coverage = std::min(providerCount * 0.25, 1.0);
    double temperaturePenalty = 0;
    double precipitationPenalty = 0;
    if (spread) {
        if (std::isfinite(spread->temperatureC))
            temperaturePenalty = std::min(spread->temperatureC / 12.0, 0.3);
        if (spread->precipitationProbability && std::isfinite(*spread->precipitationProbability))
            precipitationPenalty = std::min(*spread->precipitationProbability, 0.2);
    }
    const double value = coverage * 0.5 + 0.45 - temperaturePenalty - precipitationPenalty;
    return std::max(std::min(value, 0.98), 0.05);
}

ConsensusState ConsensusEngine::state(int providerCount, bool isFresh) {
    if (providerCount <= 0)
        return ConsensusState::unavailable;
    if (!isFresh)
        return ConsensusState::stale;
    return providerCount < 3 ? ConsensusState::partial : ConsensusState::ready;
}

} // namespace nimbra
