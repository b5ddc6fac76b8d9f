#include "HourlyStripView.h"

#include "CardWidget.h"
#include "FitLabel.h"
#include "HorizontalScrollArea.h"
#include "SectionLabel.h"
#include "SymbolView.h"
#include "WeatherConditionIcon.h"

#include <QBoxLayout>

namespace nimbra {

namespace {

// A symbol and a figure side by side, 3 px apart, centred in the card; the figure's label in `label`.
QHBoxLayout* detailRow(const QString& symbol, const ColorToken& tint, const QString& text,
                       const TextToken& style, double minimumScale, FitLabel*& label) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addStretch(1);
    row->addWidget(new SymbolView(symbol, style.font.pixelSize, FontWeight::regular, tint), 0,
                   Qt::AlignVCenter);
    label = new FitLabel(text, style, minimumScale);
    row->addWidget(label, 0, Qt::AlignVCenter);
    row->addStretch(1);
    return row;
}

// The same cards in the same order, each with the same rows, in the same styles.
bool sameCards(const HourlyStripViewModel& a, const HourlyStripViewModel& b) {
    if (a.cards.size() != b.cards.size())
        return false;
    for (qsizetype i = 0; i < a.cards.size(); ++i) {
        if (a.cards[i].wind.has_value() != b.cards[i].wind.has_value())
            return false;
    }
    HourlyStripViewModel aLooks = a;
    HourlyStripViewModel bLooks = b;
    aLooks.cards.clear();
    bLooks.cards.clear();
    return aLooks == bLooks;
}

} // namespace

CardWidget* HourlyStripView::makeCard(const HourlyCard& card, const HourlyStripViewModel& vm,
                                      CardParts& parts) {
    auto* widget = new CardWidget;
    widget->setFill(vm.cardFill);
    widget->setFixedSize(int(HourlyStripViewModel::cardWidth), int(HourlyStripViewModel::cardHeight));
    WeatherConditionIcon::markAsIconSurface(widget);
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(int(HourlyStripViewModel::rowSpacing));
    column->addStretch(1);
    parts.hour = new FitLabel(card.hour, vm.hourStyle, HourlyStripViewModel::hourMinimumScale);
    parts.hour->setAlignment(Qt::AlignCenter);
    column->addWidget(parts.hour);
    parts.icon = new WeatherConditionIcon(card.condition, HourlyStripViewModel::iconSize);
    column->addWidget(parts.icon, 0, Qt::AlignHCenter);
    parts.temperature = new FitLabel(card.temperature, vm.temperatureStyle);
    parts.temperature->setAlignment(Qt::AlignCenter);
    column->addWidget(parts.temperature);
    column->addLayout(
        detailRow(QStringLiteral("drop.fill"), vm.rainTint, card.rain, vm.detailStyle, 1.0, parts.rain));
    if (card.wind)
        column->addLayout(detailRow(QStringLiteral("wind"), vm.windTint, *card.wind, vm.detailStyle,
                                    HourlyStripViewModel::windMinimumScale, parts.wind));
    column->addStretch(1);
    return widget;
}

HourlyStripView::HourlyStripView(const HourlyStripViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionLabel(m_model.sectionTitle));

    auto* row = new QWidget;
    auto* cards = new QHBoxLayout(row);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(int(HourlyStripViewModel::cardSpacing));
    for (const HourlyCard& card : m_model.cards) {
        CardParts parts;
        CardWidget* widget = makeCard(card, m_model, parts);
        cards->addWidget(widget);
        m_cards.append(widget);
        m_parts.append(parts);
    }
    m_scroll = new HorizontalScrollArea(row);
    m_scroll->setDragScrollingEnabled(true);
    column->addWidget(m_scroll);
}

bool HourlyStripView::setModel(const HourlyStripViewModel& model) {
    if (model == m_model)
        return true;
    if (!sameCards(model, m_model))
        return false;
    m_model = model;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        const HourlyCard& card = model.cards[i];
        const CardParts& parts = m_parts[i];
        parts.hour->setText(card.hour);
        parts.icon->setCondition(card.condition);
        parts.temperature->setText(card.temperature);
        parts.rain->setText(card.rain);
        if (parts.wind)
            parts.wind->setText(*card.wind);
    }
    return true;
}

HourlyStripView::HourlyStripView(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                                 const LocalCalendar& calendar, QWidget* parent)
    : HourlyStripView(buildHourlyStripViewModel(hourly, settings, calendar), parent) {}

} // namespace nimbra
