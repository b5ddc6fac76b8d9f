#pragma once

#include "HourlyStripViewModel.h"

#include <QWidget>

namespace nimbra {

class CardWidget;
class HorizontalScrollArea;

// The next twelve hours as a sideways-scrolling row of small cards.
class HourlyStripView : public QWidget {
    Q_OBJECT
public:
    explicit HourlyStripView(const HourlyStripViewModel& model, QWidget* parent = nullptr);
    HourlyStripView(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                    const LocalCalendar& calendar = LocalCalendar::system(), QWidget* parent = nullptr);

    const HourlyStripViewModel& model() const { return m_model; }
    QList<CardWidget*> cards() const { return m_cards; }
    HorizontalScrollArea* scrollArea() const { return m_scroll; }

private:
    HourlyStripViewModel m_model;
    QList<CardWidget*> m_cards;
    HorizontalScrollArea* m_scroll = nullptr;
};

} // namespace nimbra
