#include "ForecastMoves.h"

namespace nimbra {

void ForecastMoves::carry(const QUuid& dropped, const WeatherLocation& kept) {
    m_steps.append({dropped, kept, {}});
}

void ForecastMoves::keepOnly(const QSet<QUuid>& ids) {
    m_steps.append({std::nullopt, {}, ids});
}

QSet<QUuid> ForecastMoves::sourcesOf(const QUuid& id) const {
    QSet<QUuid> sources{id};
    for (auto step = m_steps.crbegin(); step != m_steps.crend(); ++step) {
        if (step->dropped && sources.contains(step->keptLocation.id))
            sources.insert(*step->dropped);
    }
    return sources;
}

ForecastTables ForecastMoves::applied(ForecastTables tables) const {
    auto& [forecasts, providerForecasts] = tables;
    for (const Step& step : m_steps) {
        if (!step.dropped) {
            keepOnlyIDs(forecasts, step.kept);
            keepOnlyIDs(providerForecasts, step.kept);
            continue;
        }
        const QUuid& kept = step.keptLocation.id;
        if (!forecasts.contains(kept) && forecasts.contains(*step.dropped)) {
            ConsensusForecast forecast = forecasts.value(*step.dropped);
            forecast.location = step.keptLocation;
            forecasts.insert(kept, forecast);
        }
        if (!providerForecasts.contains(kept) && providerForecasts.contains(*step.dropped)) {
            QList<ProviderForecast> list = providerForecasts.value(*step.dropped);
            for (ProviderForecast& f : list)
                f.locationID = kept;
            providerForecasts.insert(kept, list);
        }
    }
    return tables;
}

} // namespace nimbra
