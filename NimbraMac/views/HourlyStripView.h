#pragma once

#include "HourlyStripViewModel.h"

#include <QWidget>

namespace nimbra {

class CardWidget;
class FitLabel;
class HorizontalScrollArea;
class WeatherConditionIcon;

// The next twelve hours as a sideways-scrolling row of small cards.
class HourlyStripView : public QWidget {
    Q_OBJECT
public:
    explicit HourlyStripView(const HourlyStripViewModel& model, QWidget* parent = nullptr);
    HourlyStripView(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                    const LocalCalendar& calendar = LocalCalendar::system(), QWidget* parent = nullptr);

    const HourlyStripViewModel& model() const { return m_model; }
    // Shows another model in the cards it has, when it has as many cards with the same rows: false (nothing
    // changed) when it has not, and the strip is to be built anew.
    bool setModel(const HourlyStripViewModel& model);
    QList<CardWidget*> cards() const { return m_cards; }
    HorizontalScrollArea* scrollArea() const { return m_scroll; }

private:
    // What one card shows its hour with; wind is null for an hour without it.
    struct CardParts {
        FitLabel* hour = nullptr;
        WeatherConditionIcon* icon = nullptr;
        FitLabel* temperature = nullptr;
        FitLabel* rain = nullptr;
        FitLabel* wind = nullptr;
    };
    static CardWidget* makeCard(const HourlyCard& card, const HourlyStripViewModel& vm, CardParts& parts);

    HourlyStripViewModel m_model;
    QList<CardWidget*> m_cards;
    QList<CardParts> m_parts;
    HorizontalScrollArea* m_scroll = nullptr;
};

} // namespace nimbra
