#pragma once

#include "AlertListViewModel.h"

#include <QWidget>

namespace nimbra {

class CardWidget;

// The official alerts of the forecast as cards, or one note when there are none.
class AlertListView : public QWidget {
    Q_OBJECT
public:
    explicit AlertListView(const AlertListViewModel& model, QWidget* parent = nullptr);
    explicit AlertListView(const QList<WeatherAlert>& alerts, QWidget* parent = nullptr);

    const AlertListViewModel& model() const { return m_model; }
    QList<CardWidget*> cards() const { return m_cards; }
    // The card of the "no alerts" note; null while there are alerts.
    CardWidget* noteCard() const { return m_note; }

private:
    AlertListViewModel m_model;
    QList<CardWidget*> m_cards;
    CardWidget* m_note = nullptr;
};

} // namespace nimbra
