#include "AlertListView.h"

#include "CardWidget.h"
#include "FitLabel.h"
#include "SectionLabel.h"
#include "WrapLabel.h"

#include <QBoxLayout>

namespace nimbra {

namespace {

CardWidget* alertCard(const AlertCard& card, const AlertListViewModel& vm) {
    auto* widget = new CardWidget;
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(5);

    auto* header = new QHBoxLayout;
    // Titles from providers can be long: they wrap rather than push the severity out of the card.
    auto* title = new WrapLabel(card.title, vm.titleStyle);
    header->addWidget(title, 1);
    auto* severity = new FitLabel(card.severityWord, {vm.severityFont, card.severityTint});
    severity->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    header->addWidget(severity, 0, Qt::AlignVCenter);
    column->addLayout(header);

    column->addWidget(new WrapLabel(card.summary, vm.summaryStyle));
    column->addWidget(new FitLabel(card.source, vm.sourceStyle));
    return widget;
}

} // namespace

AlertListView::AlertListView(const AlertListViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionLabel(m_model.sectionTitle));
    if (m_model.emptyText) {
        auto* note = new CardWidget;
        auto* layout = new QVBoxLayout(note);
        layout->setContentsMargins(12, 12, 12, 12);
        layout->addWidget(new WrapLabel(*m_model.emptyText, m_model.emptyStyle));
        column->addWidget(note);
        m_note = note;
        return;
    }
    for (const AlertCard& card : m_model.cards) {
        CardWidget* widget = alertCard(card, m_model);
        column->addWidget(widget);
        m_cards.append(widget);
    }
}

AlertListView::AlertListView(const QList<WeatherAlert>& alerts, QWidget* parent)
    : AlertListView(buildAlertListViewModel(alerts), parent) {}

} // namespace nimbra
