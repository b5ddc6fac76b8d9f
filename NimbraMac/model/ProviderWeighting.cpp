#include "ProviderWeighting.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

double weightAdjustment(const ProviderAccuracyScore& score) {
    const double error = score.meanAbsoluteTemperatureErrorC;
    // Too few comparisons say nothing; an error that is not a number says nothing either.
    if (score.samples < 5 || !std::isfinite(error))
        return 1.0;
    // Small errors (zero and negative included) get the full reward before any division.
    if (error <= 0.5)
        return 1.25;
    return std::max(std::min(2.0 / error, 1.25), 0.55);
}

double providerWeight(WeatherProviderKind kind, const AccuracyScores& scores) {
    const auto entry = scores.constFind(kind);
    const double factor = entry == scores.constEnd() ? 1.0 : weightAdjustment(*entry);
    return providers::defaultWeight(kind) * factor;
}

} // namespace nimbra
