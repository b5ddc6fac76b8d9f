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

// A symbol and a figure side by side, 3 px apart, centred in the card.
QHBoxLayout* detailRow(const QString& symbol, const ColorToken& tint, const QString& text,
                       const TextToken& style, double minimumScale) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addStretch(1);
    row->addWidget(new SymbolView(symbol, style.font.pixelSize, FontWeight::regular, tint), 0,
                   Qt::AlignVCenter);
    auto* label = new FitLabel(text, style, minimumScale);
    row->addWidget(label, 0, Qt::AlignVCenter);
    row->addStretch(1);
    return row;
}

CardWidget* hourCard(const HourlyCard& card, const HourlyStripViewModel& vm) {
    auto* widget = new CardWidget;
    widget->setFill(vm.cardFill);
    widget->setFixedSize(int(HourlyStripViewModel::cardWidth), int(HourlyStripViewModel::cardHeight));
    WeatherConditionIcon::markAsIconSurface(widget);
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(int(HourlyStripViewModel::rowSpacing));
    column->addStretch(1);
    auto* hour = new FitLabel(card.hour, vm.hourStyle, HourlyStripViewModel::hourMinimumScale);
    hour->setAlignment(Qt::AlignCenter);
    column->addWidget(hour);
    column->addWidget(new WeatherConditionIcon(card.condition, HourlyStripViewModel::iconSize), 0,
                      Qt::AlignHCenter);
    auto* temperature = new FitLabel(card.temperature, vm.temperatureStyle);
    temperature->setAlignment(Qt::AlignCenter);
    column->addWidget(temperature);
    column->addLayout(detailRow(QStringLiteral("drop.fill"), vm.rainTint, card.rain, vm.detailStyle, 1.0));
    if (card.wind)
        column->addLayout(detailRow(QStringLiteral("wind"), vm.windTint, *card.wind, vm.detailStyle,
                                    HourlyStripViewModel::windMinimumScale));
    column->addStretch(1);
    return widget;
}

} // namespace

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
        CardWidget* widget = hourCard(card, m_model);
        cards->addWidget(widget);
        m_cards.append(widget);
    }
    m_scroll = new HorizontalScrollArea(row);
    m_scroll->setDragScrollingEnabled(true);
    column->addWidget(m_scroll);
}

HourlyStripView::HourlyStripView(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                                 const LocalCalendar& calendar, QWidget* parent)
    : HourlyStripView(buildHourlyStripViewModel(hourly, settings, calendar), parent) {}

} // namespace nimbra
