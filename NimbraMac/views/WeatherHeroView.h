#pragma once

#include "CardWidget.h"
#include "HeroViewModel.h"

namespace nimbra {

class FitLabel;
class WrapLabel;
class WeatherConditionIcon;
class WeatherContextMetricStrip;

// The card at the top of the dashboard: place, current conditions, context figures, what is coming and how
// good the data is. Built from its view model; it keeps no state.
class WeatherHeroView : public CardWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 11;
    static constexpr int padding = 11;

    explicit WeatherHeroView(const HeroViewModel& model, QWidget* parent = nullptr);
    WeatherHeroView(const std::optional<ConsensusForecast>& forecast, const WeatherSettings& settings,
                    WeatherHeroPresentation presentation, const QDateTime& now,
                    const LocalCalendar& calendar = LocalCalendar::system(), QWidget* parent = nullptr);

    const HeroViewModel& model() const { return m_model; }
    // Shows another model with the widgets it has, when it has the same rows and figures: false (nothing
    // changed) when it has not, and the card is to be built anew.
    bool setModel(const HeroViewModel& model);
    WeatherConditionIcon* icon() const { return m_icon; }
    WeatherContextMetricStrip* metricStrip() const { return m_strip; }
    FitLabel* titleLabel() const { return m_title; }
    FitLabel* temperatureLabel() const { return m_temperature; }

private:
    void build();

    HeroViewModel m_model;
    FitLabel* m_title = nullptr;
    WeatherConditionIcon* m_icon = nullptr;
    WeatherContextMetricStrip* m_strip = nullptr;
    FitLabel* m_temperature = nullptr;
    FitLabel* m_region = nullptr;
    FitLabel* m_condition = nullptr;
    FitLabel* m_feelsLike = nullptr;
    WrapLabel* m_summary = nullptr;
    WrapLabel* m_status = nullptr;
};

} // namespace nimbra
