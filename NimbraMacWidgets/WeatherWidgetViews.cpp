#include "WeatherWidgetViews.h"

#include "WidgetBlockViews.h"
#include "WidgetLayouts.h"

#include "FitLabel.h"
#include "HeroViewModel.h"
#include "SymbolView.h"
#include "ViewTheme.h"
#include "WeatherConditionIcon.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace nimbra {

using namespace widgetparts;

namespace {

const ColorToken kPrimary = ColorToken::of(Tint::primary);
const ColorToken kSecondary = ColorToken::of(Tint::secondary);

QPalette darkPalette(QPalette palette) {
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, Qt::white);
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.08f, 0.085f, 0.095f));
    return palette;
}

QWidget* offsetIcon(WeatherCondition condition, double size, double width, double height, double dy) {
    return new OffsetFrame(conditionIcon(condition, size, width, height), width, height, 0, dy);
}

QWidget* hbox(double spacing, QBoxLayout** layout) {
    auto* row = new QWidget;
    *layout = box(QBoxLayout::LeftToRight, row, spacing);
    return row;
}

QWidget* vbox(double spacing, QBoxLayout** layout) {
    auto* column = new QWidget;
    *layout = box(QBoxLayout::TopToBottom, column, spacing);
    return column;
}

void addBadge(QBoxLayout* row, int count, Qt::Alignment alignment) {
    if (QWidget* badge = makeWidgetAlertBadge(count, false))
        row->addWidget(badge, 0, alignment);
}

// In place of hours or days the entry does not have (no forecast, or one whose hours and days have all
// passed): the views' sentence for a forecast still to come, centred in the rest of the card.
void addWaitingBody(QBoxLayout* card) {
    card->addStretch(1);
    card->addWidget(label(waitingForForecastSentence(), subheadlineFont(FontWeight::semibold), kSecondary,
                          0.78, Qt::AlignCenter));
    card->addStretch(1);
}

QWidget* railRow(const WidgetContextMetric& metric) {
    QBoxLayout* layout = nullptr;
    QWidget* row = hbox(5, &layout);
    row->setFixedHeight(15);
    row->setAccessibleName(metric.title + u' ' + metric.value);
    auto* symbol = new SymbolView(metric.symbol, 10.5, FontWeight::bold, metric.tint);
    symbol->setFrame(13, 13);
    symbol->setFixedSize(13, 13);
    layout->addWidget(symbol);
    layout->addWidget(fixedLabel(metric.value,
                                 FontToken::system(9.5, FontWeight::bold, FontDesign::rounded).digits(),
                                 ColorToken::of(Tint::white, 0.92)));
    layout->addStretch(1);
    return row;
}

QWidget* metricRail(const QList<WidgetContextMetric>& metrics) {
    QBoxLayout* layout = nullptr;
    QWidget* rail = vbox(0, &layout);
    rail->setFixedSize(108, 88);
    for (qsizetype i = 0; i < metrics.size(); ++i) {
        layout->addWidget(railRow(metrics[i]));
        if (i + 1 < metrics.size())
            addSpacer(layout, 0);
    }
    return rail;
}

void buildSmallCurrent(QBoxLayout* card, const WidgetEntryTexts& texts) {
    QBoxLayout* top = nullptr;
    card->addWidget(hbox(8, &top));
    top->addWidget(elidingLabel(texts.locationTitle, FontToken::style(TextStyle::headline, FontWeight::bold),
                                kPrimary, 0.72),
                   1, Qt::AlignTop);
    if (texts.alertCount > 0)
        addSpacer(top, 6);
    addBadge(top, texts.alertCount, Qt::AlignTop);

    card->addWidget(
        elidingLabel(texts.conditionTitle, FontToken::style(TextStyle::caption), kSecondary, 1.0));

    QBoxLayout* middle = nullptr;
    QWidget* middleRow = hbox(8, &middle);
    middleRow->setContentsMargins(0, 4, 0, 0);
    middle->addWidget(offsetIcon(texts.iconCondition, 60, 66, 64, -3), 0, Qt::AlignVCenter);
    addSpacer(middle, 2);
    QBoxLayout* temperatures = nullptr;
    QWidget* column = vbox(2, &temperatures);
    temperatures->addWidget(fixedLabel(texts.temperature,
                                       FontToken::system(40, FontWeight::bold, FontDesign::rounded).digits(),
                                       kPrimary),
                            0, Qt::AlignRight);
    FitLabel* highLow = label(
        texts.highLow, FontToken::style(TextStyle::caption, FontWeight::semibold).digits(), kSecondary, 0.78);
    highLow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    temperatures->addWidget(highLow);
    middle->addWidget(column, 0, Qt::AlignVCenter);
    card->addWidget(middleRow);

    addSpacer(card, 0);
    card->addWidget(makeWidgetMetricMiniStrip(texts.metrics));
}

void buildMediumCurrent(QBoxLayout* card, const WidgetEntryTexts& texts) {
    QBoxLayout* top = nullptr;
    QWidget* topRow = hbox(8, &top);
    topRow->setContentsMargins(4, 0, 0, 0);
    // The name gives way first, then the condition: each shrinks, then is cut.
    FitLabel* name =
        elidingLabel(texts.locationTitle, FontToken::system(25, FontWeight::bold), kPrimary, 0.72);
    name->setMaximumWidth(name->sizeHint().width());
    top->addWidget(name, 2, Qt::AlignBottom);
    FitLabel* condition = elidingLabel(
        texts.conditionTitle, FontToken::style(TextStyle::headline, FontWeight::semibold), kSecondary, 0.75);
    // Both sit on the name's baseline: the condition is lifted by the difference of the two fonts' descents.
    const int lift = int(std::lround(QFontMetricsF(theme::font(name->style().font)).descent() -
                                     QFontMetricsF(theme::font(condition->style().font)).descent()));
    auto* conditionBox = new QWidget;
    box(QBoxLayout::TopToBottom, conditionBox, 0)->setContentsMargins(0, 0, 0, qMax(0, lift));
    conditionBox->layout()->addWidget(condition);
    conditionBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    conditionBox->setMaximumWidth(condition->sizeHint().width());
    conditionBox->setMinimumWidth(1);
    top->addWidget(conditionBox, 1, Qt::AlignBottom);
    addSpacer(top, 6);
    addBadge(top, texts.alertCount, Qt::AlignVCenter);
    card->addWidget(topRow);

    QBoxLayout* middle = nullptr;
    QWidget* middleRow = hbox(15, &middle);
    middle->addWidget(offsetIcon(texts.iconCondition, 74, 84, 78, -4), 0, Qt::AlignTop);
    QBoxLayout* temperatures = nullptr;
    QWidget* column = vbox(2, &temperatures);
    column->setContentsMargins(0, 3, 0, 0);
    temperatures->addWidget(fixedLabel(
        texts.temperature, FontToken::system(47, FontWeight::bold, FontDesign::rounded).digits(), kPrimary));
    temperatures->addWidget(
        label(QCoreApplication::translate("WeatherWidgetViews", "Feels %1").arg(texts.feelsLike),
              FontToken::style(TextStyle::headline, FontWeight::bold), kSecondary, 0.78));
    temperatures->addWidget(label(
        texts.highLow, FontToken::style(TextStyle::headline, FontWeight::bold).digits(), kSecondary, 0.78));
    middle->addWidget(column, 0, Qt::AlignTop);
    addSpacer(middle, 18);
    middle->addWidget(metricRail(texts.metrics), 0, Qt::AlignTop);
    card->addWidget(middleRow);
}

void buildLargeCurrent(QBoxLayout* card, const WeatherWidgetEntry& entry, const WidgetEntryTexts& texts,
                       const CurrentWidgetParameters& parameters, const QDateTime& now,
                       const LocalCalendar& calendar) {
    card->addWidget(makeMediumStyleHeader(texts));
    card->addWidget(makeHourlyMiniStrip(hourlyMiniStripModel(entryHourly(entry, calendar), entry.settings,
                                                             parameters.hourlyLimit, 0, false, calendar)));
    auto* divider = new WidgetFill(ColorToken::of(Tint::white, 0.16), 0);
    divider->setFixedHeight(1);
    card->addWidget(divider);
    card->addWidget(makeDailyMiniRows(
        dailyMiniRows(entryDaily(entry, calendar), entry.settings, parameters.dailyLimit, now, calendar)));
}

} // namespace

void paintWidgetBackground(QPainter& painter, const QRectF& rect) {
    painter.fillRect(rect, QColor::fromRgbF(0.08f, 0.085f, 0.095f));
    QLinearGradient sheen(rect.topLeft(), rect.bottomRight());
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.08f));
    sheen.setColorAt(0.5, QColor::fromRgbF(1, 1, 1, 0.015f));
    sheen.setColorAt(1, QColor::fromRgbF(0, 0, 0, 0.22f));
    painter.fillRect(rect, sheen);
}

WidgetSurface::WidgetSurface(WidgetFamily family, double horizontalPadding, double verticalPadding,
                             double spacing, QWidget* parent)
    : QWidget(parent), m_family(family) {
    setFixedSize(widgetFamilySize(family));
    setPalette(darkPalette(palette()));
    setAutoFillBackground(false);
    WeatherConditionIcon::markAsIconSurface(this);
    m_card = box(QBoxLayout::TopToBottom, this, spacing);
    const int h = int(std::lround(horizontalPadding));
    const int v = int(std::lround(verticalPadding));
    m_card->setContentsMargins(h, v, h, v);
}

void WidgetSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintWidgetBackground(painter, QRectF(rect()));
}

CurrentWeatherWidgetView::CurrentWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                   QWidget* parent)
    : CurrentWeatherWidgetView(entry, family, QDateTime::currentDateTimeUtc(), LocalCalendar::system(),
                               parent) {}

CurrentWeatherWidgetView::CurrentWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                   const QDateTime& now, const LocalCalendar& calendar,
                                                   QWidget* parent)
    : WidgetSurface(family, currentWidgetParameters(family).padding.horizontal,
                    currentWidgetParameters(family).padding.vertical, currentWidgetParameters(family).spacing,
                    parent) {
    const CurrentWidgetParameters parameters = currentWidgetParameters(family);
    const WidgetEntryTexts texts = widgetEntryTexts(entry, now, calendar);
    switch (parameters.layout) {
    case CurrentWidgetLayout::small:
        buildSmallCurrent(cardLayout(), texts);
        break;
    case CurrentWidgetLayout::medium:
        buildMediumCurrent(cardLayout(), texts);
        cardLayout()->addStretch(1);
        break;
    case CurrentWidgetLayout::large:
        buildLargeCurrent(cardLayout(), entry, texts, parameters, now, calendar);
        cardLayout()->addStretch(1);
        break;
    }
}

HourlyWeatherWidgetView::HourlyWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                 QWidget* parent)
    : HourlyWeatherWidgetView(entry, family, LocalCalendar::system(), parent) {}

HourlyWeatherWidgetView::HourlyWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                 const LocalCalendar& calendar, QWidget* parent)
    : WidgetSurface(family, hourlyWidgetParameters(family).padding.horizontal,
                    hourlyWidgetParameters(family).padding.vertical, hourlyWidgetParameters(family).spacing,
                    parent) {
    const HourlyWidgetParameters parameters = hourlyWidgetParameters(family);
    cardLayout()->addWidget(
        makeWidgetHeader(widgetLocationTitle(entry), parameters.subtitle, widgetAlertCount(entry)));
    const QList<WeatherSample> hourly = entryHourly(entry, calendar);
    if (hourly.isEmpty()) {
        addWaitingBody(cardLayout());
        return;
    }
    for (const HourlyStripPlacement& strip : parameters.strips)
        cardLayout()->addWidget(makeHourlyMiniStrip(hourlyMiniStripModel(
            hourly, entry.settings, strip.limit, strip.startIndex, strip.expanded, calendar)));
    cardLayout()->addStretch(1);
}

TenDayWeatherWidgetView::TenDayWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                 QWidget* parent)
    : TenDayWeatherWidgetView(entry, family, QDateTime::currentDateTimeUtc(), LocalCalendar::system(),
                              parent) {}

TenDayWeatherWidgetView::TenDayWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                                                 const QDateTime& now, const LocalCalendar& calendar,
                                                 QWidget* parent)
    : WidgetSurface(family, tenDayWidgetParameters(family).padding.horizontal,
                    tenDayWidgetParameters(family).padding.vertical, tenDayWidgetParameters(family).spacing,
                    parent) {
    const TenDayWidgetParameters parameters = tenDayWidgetParameters(family);
    const QList<DayCellModel> cells = tenDayCells(entryDaily(entry, calendar), entry.settings, now, calendar);
    if (parameters.showsHeader)
        cardLayout()->addWidget(
            makeWidgetHeader(widgetLocationTitle(entry), parameters.subtitle, widgetAlertCount(entry)));
    if (cells.isEmpty()) {
        addWaitingBody(cardLayout());
        return;
    }
    cardLayout()->addWidget(parameters.compactGrid ? makeTenDayCompactGrid(cells)
                                                   : makeTenDayLargeForecastGrid(cells));
    cardLayout()->addStretch(1);
}

} // namespace nimbra
