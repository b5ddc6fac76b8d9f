#pragma once

#include "ProviderAccuracyScore.h"
#include "WeatherProviderKind.h"

#include <QHash>

namespace nimbra {

// Past accuracy per provider, as the store keeps it; keyed by the kind it was measured for.
using AccuracyScores = QHash<WeatherProviderKind, ProviderAccuracyScore>;

// The accuracy factor of one score: 1.0 until enough comparisons back it (or when its error is not a finite
// number), else between 0.55 (large past error) and 1.25 (small past error).
double weightAdjustment(const ProviderAccuracyScore& score);

// The weight of one provider in the current-conditions blend: its base weight times the factor of its score,
// or the base weight alone when no score is kept for it. Always greater than zero.
double providerWeight(WeatherProviderKind kind, const AccuracyScores& scores);

} // namespace nimbra
