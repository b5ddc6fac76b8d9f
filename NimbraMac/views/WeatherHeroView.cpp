#include "WeatherHeroView.h"

#include "FitLabel.h"
#include "ViewTheme.h"
#include "WeatherConditionIcon.h"
#include "WeatherContextMetricStrip.h"
#include "WrapLabel.h"

#include <QBoxLayout>

namespace nimbra {

WeatherHeroView::WeatherHeroView(const HeroViewModel& model, QWidget* parent)
    : CardWidget(parent), m_model(model) {
    build();
}

WeatherHeroView::WeatherHeroView(const std::optional<ConsensusForecast>& forecast,
                                 const WeatherSettings& settings, WeatherHeroPresentation presentation,
                                 const QDateTime& now, const LocalCalendar& calendar, QWidget* parent)
    : WeatherHeroView(buildHeroViewModel(forecast, settings, presentation, now, calendar), parent) {}

void WeatherHeroView::build() {
    const HeroViewModel& vm = m_model;
    WeatherConditionIcon::markAsIconSurface(this);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(spacing);
    column->setContentsMargins(padding, padding, padding, padding);

    // Row 1: the place and its region.
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    m_title = new FitLabel(vm.title, vm.titleStyle, HeroViewModel::titleMinimumScale);
    FitLabel* title = m_title;
    // A place's name is as long as its people made it: past its smallest scale it is cut, and the card keeps
    // the popover's width. The region (a country or a state) keeps its own smallest scale.
    title->setMinimumWidth(1);
    titleRow->addWidget(title);
    if (vm.region) {
        m_region = new FitLabel(*vm.region, vm.regionStyle, HeroViewModel::regionMinimumScale);
        FitLabel* region = m_region;
        titleRow->addWidget(region);
        // Both sit on the bottom of the row, their baselines level.
        titleRow->setAlignment(title, Qt::AlignBottom);
        titleRow->setAlignment(region, Qt::AlignBottom);
        title->setBaselinePartner(region);
        region->setBaselinePartner(title);
    }
    titleRow->addStretch(1);
    column->addLayout(titleRow);

    // Row 2: icon and temperature, then condition and feels-like, each centred.
    auto* conditions = new QVBoxLayout;
    conditions->setSpacing(8);
    conditions->setContentsMargins(0, int(vm.metrics.conditionsTopPadding), 0, 0);
    auto* iconRow = new QHBoxLayout;
    iconRow->setSpacing(13);
    iconRow->addStretch(1);
    m_icon = new WeatherConditionIcon(vm.iconCondition, vm.metrics.iconSize);
    m_icon->setFrameSize(vm.metrics.iconFrame, vm.metrics.iconFrame);
    iconRow->addWidget(m_icon, 0, Qt::AlignVCenter);
    m_temperature = new FitLabel(vm.temperature, vm.temperatureStyle, HeroViewModel::temperatureMinimumScale);
    iconRow->addWidget(m_temperature, 0, Qt::AlignVCenter);
    iconRow->addStretch(1);
    conditions->addLayout(iconRow);

    auto* conditionRow = new QHBoxLayout;
    conditionRow->setSpacing(7);
    conditionRow->addStretch(1);
    m_condition = new FitLabel(vm.conditionTitle, vm.conditionStyle, HeroViewModel::conditionMinimumScale);
    conditionRow->addWidget(m_condition, 0, Qt::AlignVCenter);
    if (vm.feelsLike) {
        conditionRow->addWidget(new DotView(3.5, vm.feelsLikeDot), 0, Qt::AlignVCenter);
        m_feelsLike = new FitLabel(*vm.feelsLike, vm.feelsLikeStyle);
        conditionRow->addWidget(m_feelsLike, 0, Qt::AlignVCenter);
    }
    conditionRow->addStretch(1);
    conditions->addLayout(conditionRow);
    column->addLayout(conditions);

    // Row 3: the context figures.
    if (!vm.metricItems.isEmpty()) {
        m_strip = new WeatherContextMetricStrip(vm.metricItems);
        column->addWidget(m_strip);
    }

    // Row 4: the summary sentence and the data-quality line.
    auto* summaryBlock = new QVBoxLayout;
    summaryBlock->setSpacing(6);
    summaryBlock->setContentsMargins(0, 2, 0, 0);
    m_summary = new WrapLabel(vm.summary, vm.summaryStyle);
    m_summary->setAlignment(Qt::AlignHCenter);
    summaryBlock->addWidget(m_summary);
    if (vm.statusLine) {
        auto* statusRow = new QHBoxLayout;
        auto* dot = new DotView(5, vm.statusDot);
        dot->setGlow(vm.statusGlow, 3);
        // The glow's room counts against the 6 px between dot and text.
        statusRow->setSpacing(qMax(0, 6 - int(dot->glowRadius())));
        statusRow->addStretch(1);
        statusRow->addWidget(dot, 0, Qt::AlignVCenter);
        m_status = new WrapLabel(*vm.statusLine, vm.statusStyle);
        m_status->setAlignment(Qt::AlignHCenter);
        m_status->setMaximumLineCount(HeroViewModel::statusMaximumLines, HeroViewModel::statusMinimumScale);
        statusRow->addWidget(m_status, 0, Qt::AlignVCenter);
        statusRow->addStretch(1);
        summaryBlock->addLayout(statusRow);
    }
    column->addLayout(summaryBlock);
}

namespace {

// What the card's widgets are made of: the rows and figures it has, the sizes and the styles. Two models
// alike in this differ only in what the widgets show.
bool sameWidgets(const HeroViewModel& a, const HeroViewModel& b) {
    return a.metrics == b.metrics && a.region.has_value() == b.region.has_value() &&
           a.feelsLike.has_value() == b.feelsLike.has_value() &&
           a.statusLine.has_value() == b.statusLine.has_value() &&
           a.metricItems.size() == b.metricItems.size() && a.titleStyle == b.titleStyle &&
           a.regionStyle == b.regionStyle && a.temperatureStyle == b.temperatureStyle &&
           a.conditionStyle == b.conditionStyle && a.feelsLikeStyle == b.feelsLikeStyle &&
           a.feelsLikeDot == b.feelsLikeDot && a.summaryStyle == b.summaryStyle &&
           a.statusStyle == b.statusStyle && a.statusDot == b.statusDot && a.statusGlow == b.statusGlow;
}

} // namespace

bool WeatherHeroView::setModel(const HeroViewModel& model) {
    if (model == m_model)
        return true;
    if (!sameWidgets(model, m_model))
        return false;
    m_model = model;
    m_title->setText(model.title);
    if (m_region)
        m_region->setText(*model.region);
    m_icon->setCondition(model.iconCondition);
    m_temperature->setText(model.temperature);
    m_condition->setText(model.conditionTitle);
    if (m_feelsLike)
        m_feelsLike->setText(*model.feelsLike);
    if (m_strip)
        m_strip->setItems(model.metricItems);
    m_summary->setText(model.summary);
    if (m_status)
        m_status->setText(*model.statusLine);
    return true;
}

} // namespace nimbra
