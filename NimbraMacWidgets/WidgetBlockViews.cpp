#include "WidgetBlockViews.h"

#include "EvenSlotsLayout.h"

#include "FitLabel.h"
#include "SymbolView.h"
#include "ViewShapes.h"
#include "ViewTheme.h"
#include "WeatherConditionIcon.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QPainter>

#include <cmath>

namespace nimbra {

namespace widgetparts {

FitLabel* label(const QString& text, const FontToken& font, const ColorToken& color, double minimumScale,
                Qt::Alignment alignment) {
    auto* l = new FitLabel(text, {font, color}, minimumScale);
    l->setAlignment(alignment);
    return l;
}

FitLabel* fixedLabel(const QString& text, const FontToken& font, const ColorToken& color) {
    FitLabel* l = label(text, font, color);
    l->setMinimumWidth(l->sizeHint().width());
    return l;
}

FitLabel* elidingLabel(const QString& text, const FontToken& font, const ColorToken& color,
                       double minimumScale) {
    FitLabel* l = label(text, font, color, minimumScale);
    l->setMinimumWidth(1);
    l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    l->setProperty(elidesProperty, true);
    return l;
}

QBoxLayout* box(QBoxLayout::Direction direction, QWidget* owner, double spacing) {
    auto* layout = new QBoxLayout(direction, owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(int(std::lround(spacing)));
    return layout;
}

void addSpacer(QBoxLayout* layout, int minimum) {
    if (layout->direction() == QBoxLayout::LeftToRight)
        layout->addSpacerItem(new QSpacerItem(minimum, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    else
        layout->addSpacerItem(new QSpacerItem(0, minimum, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

QWidget* conditionIcon(WeatherCondition condition, double size, double frameWidth, double frameHeight) {
    auto* icon = new WeatherConditionIcon(condition, size);
    icon->setFrameSize(frameWidth, frameHeight);
    icon->setFixedSize(int(std::ceil(frameWidth)), int(std::ceil(frameHeight)));
    return icon;
}

void fixHeightAtLeast(QWidget* fill, int height) {
    fill->setFixedHeight(qMax(height, fill->layout() ? fill->layout()->minimumSize().height() : 0));
}

} // namespace widgetparts

using namespace widgetparts;

namespace {

SymbolView* symbol(const QString& name, double size, FontWeight weight, const ColorToken& tint,
                   double frameWidth, double frameHeight) {
    auto* view = new SymbolView(name, size, weight, tint);
    view->setFrame(frameWidth, frameHeight);
    view->setFixedSize(view->sizeHint());
    return view;
}

const ColorToken kPrimary = ColorToken::of(Tint::primary);
const ColorToken kSecondary = ColorToken::of(Tint::secondary);

} // namespace

WidgetFill::WidgetFill(std::optional<ColorToken> fill, double radius, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_radius(radius) {}

void WidgetFill::paintEvent(QPaintEvent*) {
    if (!m_fill)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect());
    const QPainterPath path = m_radius < 0 ? shapes::capsule(r) : shapes::roundedRect(r, m_radius);
    painter.fillPath(path, theme::color(*m_fill, palette()));
}

OffsetFrame::OffsetFrame(QWidget* child, double width, double height, double dx, double dy, QWidget* parent)
    : QWidget(parent), m_child(child), m_dx(dx), m_dy(dy) {
    setFixedSize(int(std::ceil(width)), int(std::ceil(height)));
    child->setParent(this);
}

void OffsetFrame::resizeEvent(QResizeEvent*) {
    const QSize own = m_child->sizeHint().isValid() ? m_child->sizeHint() : size();
    m_child->setGeometry(QRect(QPoint(int(std::lround((width() - own.width()) / 2.0 + m_dx)),
                                      int(std::lround((height() - own.height()) / 2.0 + m_dy))),
                               own));
}

FontToken subheadlineFont(FontWeight weight) {
    return FontToken::system(11, weight);
}

QWidget* makeWidgetMetricRow(const WidgetContextMetric& metric, WidgetMetricRowStyle style) {
    const WidgetMetricRowMetrics m = widgetMetricRowMetrics(style);
    auto* row = new WidgetFill(m.capsuleFill);
    QBoxLayout* layout = box(QBoxLayout::LeftToRight, row, m.spacing);
    layout->setContentsMargins(int(m.horizontalPadding), int(m.verticalPadding), int(m.horizontalPadding),
                               int(m.verticalPadding));
    layout->addWidget(
        symbol(metric.symbol, m.iconSize, FontWeight::semibold, metric.tint, m.iconFrame, m.iconFrame));
    auto* value = label(metric.value, m.valueFont, ColorToken::of(Tint::primary, 0.92), 0.62);
    layout->addWidget(value, 1);
    if (m.showsTitle) {
        layout->addWidget(label(metric.title.toUpper(),
                                FontToken::style(TextStyle::caption2, FontWeight::bold), kSecondary, 0.62));
    }
    row->setAccessibleName(metric.title + u' ' + metric.value);
    return row;
}

QWidget* makeWidgetMetricMiniStrip(const QList<WidgetContextMetric>& metrics) {
    auto* strip = new QWidget;
    QBoxLayout* layout = box(QBoxLayout::LeftToRight, strip, 4);
    for (const WidgetContextMetric& metric : metrics) {
        auto* cell = new QWidget;
        cell->setAccessibleName(metric.title + u' ' + metric.value);
        QBoxLayout* column = box(QBoxLayout::TopToBottom, cell, 2);
        column->addWidget(symbol(metric.symbol, 11, FontWeight::semibold, metric.tint, 0, 12), 0,
                          Qt::AlignHCenter);
        column->addWidget(label(metric.value,
                                FontToken::style(TextStyle::caption2, FontWeight::bold).digits(),
                                ColorToken::of(Tint::primary, 0.9), 0.56, Qt::AlignCenter));
        layout->addWidget(cell, 1);
    }
    return strip;
}

QWidget* makeRainPill(std::optional<double> probability, bool compact) {
    const RainPillModel model = rainPillModel(probability, compact);
    auto* pill = new WidgetFill(model.fill);
    pill->setFixedWidth(int(model.width));
    QBoxLayout* layout = box(QBoxLayout::LeftToRight, pill, 4);
    layout->setContentsMargins(0, int(model.verticalPadding), 0, int(model.verticalPadding));
    layout->addStretch(1);
    layout->addWidget(
        symbol(QStringLiteral("drop.fill"), model.iconSize, FontWeight::bold, model.tint, 0, 0));
    layout->addWidget(label(model.text, model.font, model.tint, 0.8));
    layout->addStretch(1);
    return pill;
}

QWidget* makeWidgetAlertBadge(int count, bool compact) {
    const auto model = alertBadgeModel(count, compact);
    if (!model)
        return nullptr;
    auto* badge = new WidgetFill(alertBadgeFill);
    QBoxLayout* layout = box(QBoxLayout::LeftToRight, badge, 0);
    layout->setContentsMargins(int(model->horizontalPadding), int(model->verticalPadding),
                               int(model->horizontalPadding), int(model->verticalPadding));
    layout->addWidget(fixedLabel(model->text, FontToken::style(TextStyle::caption2, FontWeight::bold),
                                 ColorToken::of(Tint::white)));
    badge->setFixedSize(badge->sizeHint());
    return badge;
}

QWidget* makeHourlyMiniStrip(const HourlyMiniStripModel& model) {
    auto* strip = new QWidget;
    // The cells shown share the strip's width equally, whatever each one's text needs.
    auto* layout = new EvenSlotsLayout(int(model.cells.size()), int(std::lround(model.cellSpacing)), strip);
    for (const HourMiniCell& cell : model.cells) {
        auto* fill = new WidgetFill(ColorToken::of(Tint::white, 0.055), model.cornerRadius);
        QBoxLayout* column = box(QBoxLayout::TopToBottom, fill, model.rowSpacing);
        column->setContentsMargins(0, int(model.verticalPadding), 0, int(model.verticalPadding));
        column->addWidget(label(cell.hour, FontToken::style(TextStyle::caption2, FontWeight::semibold),
                                kSecondary, 1.0, Qt::AlignCenter));
        column->addWidget(conditionIcon(cell.condition, model.iconSize, model.iconSize, model.iconSize), 0,
                          Qt::AlignHCenter);
        column->addWidget(label(cell.temperature, model.temperatureFont, kPrimary, 0.78, Qt::AlignCenter));
        auto* rain = new QWidget;
        QBoxLayout* rainRow = box(QBoxLayout::LeftToRight, rain, 2);
        rainRow->addStretch(1);
        rainRow->addWidget(
            symbol(QStringLiteral("drop.fill"), 8, FontWeight::semibold, ColorToken::of(Tint::blue), 0, 0));
        rainRow->addWidget(label(
            cell.rain, FontToken::style(TextStyle::caption2, FontWeight::semibold).digits(), kSecondary));
        rainRow->addStretch(1);
        column->addWidget(rain);
        layout->addWidget(fill);
    }
    return strip;
}

QWidget* makeTenDayCompactGrid(const QList<DayCellModel>& cells) {
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(7);
    layout->setVerticalSpacing(8);
    constexpr int columns = 5;
    for (int c = 0; c < columns; ++c)
        layout->setColumnStretch(c, 1);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const DayCellModel& cell = cells[i];
        auto* fill = new WidgetFill(ColorToken::of(Tint::white, 0.052), 10);
        QBoxLayout* column = box(QBoxLayout::TopToBottom, fill, 2);
        column->setContentsMargins(3, 4, 3, 4);
        column->addWidget(label(cell.label, FontToken::style(TextStyle::caption2, FontWeight::bold), kPrimary,
                                0.72, Qt::AlignCenter));
        column->addWidget(conditionIcon(cell.condition, 19, 21, 21), 0, Qt::AlignHCenter);
        column->addWidget(label(cell.pair, FontToken::style(TextStyle::caption2, FontWeight::bold).digits(),
                                kPrimary, 0.56, Qt::AlignCenter));
        column->addWidget(label(cell.rain, FontToken::style(TextStyle::caption2, FontWeight::bold).digits(),
                                cell.rainTint, 0.72, Qt::AlignCenter));
        fixHeightAtLeast(fill, 58);
        layout->addWidget(fill, int(i / columns), int(i % columns));
    }
    return grid;
}

QWidget* makeTenDayLargeForecastGrid(const QList<DayCellModel>& cells) {
    auto* grid = new QWidget;
    QBoxLayout* layout = box(QBoxLayout::TopToBottom, grid, 3);
    for (const DayCellModel& cell : cells) {
        auto* tile = new WidgetFill(ColorToken::of(Tint::white, 0.045), 9);
        QBoxLayout* row = box(QBoxLayout::LeftToRight, tile, 8);
        row->setContentsMargins(8, 3, 8, 3);
        FitLabel* day = label(cell.label, subheadlineFont(FontWeight::bold), kPrimary, 0.75);
        day->setFixedWidth(48);
        row->addWidget(day);
        row->addWidget(conditionIcon(cell.condition, 21, 25, 25));
        row->addWidget(elidingLabel(cell.conditionTitle,
                                    FontToken::style(TextStyle::caption, FontWeight::semibold),
                                    ColorToken::of(Tint::primary, 0.74), 0.72),
                       1);
        addSpacer(row, 4);
        FitLabel* pair = label(cell.pair, FontToken::style(TextStyle::caption, FontWeight::bold).digits(),
                               ColorToken::of(Tint::primary, 0.92), 0.7, Qt::AlignRight | Qt::AlignVCenter);
        pair->setFixedWidth(58);
        row->addWidget(pair);
        row->addWidget(makeRainPill(cell.probability, true));
        fixHeightAtLeast(tile, 26);
        layout->addWidget(tile);
    }
    return grid;
}

QWidget* makeDailyMiniRows(const QList<DailyMiniRowModel>& rows) {
    auto* table = new QWidget;
    QBoxLayout* layout = box(QBoxLayout::TopToBottom, table, 0);
    const FontToken headerFont = FontToken::style(TextStyle::caption2, FontWeight::bold);
    auto* header = new QWidget;
    QBoxLayout* headerRow = box(QBoxLayout::LeftToRight, header, 8);
    headerRow->setContentsMargins(0, 0, 0, 7);
    headerRow->addWidget(label(dailyMiniHeader()[0], headerFont, kSecondary));
    headerRow->addStretch(1);
    FitLabel* lowHigh =
        label(dailyMiniHeader()[1], headerFont, kSecondary, 1.0, Qt::AlignRight | Qt::AlignVCenter);
    lowHigh->setFixedWidth(92);
    headerRow->addWidget(lowHigh);
    FitLabel* rain =
        label(dailyMiniHeader()[2], headerFont, kSecondary, 1.0, Qt::AlignRight | Qt::AlignVCenter);
    rain->setFixedWidth(44);
    headerRow->addWidget(rain);
    layout->addWidget(header);

    const FontToken rowFont = FontToken::style(TextStyle::caption, FontWeight::bold);
    for (const DailyMiniRowModel& model : rows) {
        auto* row = new QWidget;
        QBoxLayout* cells = box(QBoxLayout::LeftToRight, row, 10);
        cells->setContentsMargins(0, 5, 0, 5);
        cells->addWidget(label(model.label, rowFont, kPrimary, 0.78));
        addSpacer(cells, 4);
        cells->addWidget(conditionIcon(model.condition, 22, 34, 22));
        FitLabel* temperatures =
            label(model.lowHigh, rowFont.digits(), kPrimary, 0.76, Qt::AlignRight | Qt::AlignVCenter);
        temperatures->setFixedWidth(92);
        cells->addWidget(temperatures);
        FitLabel* chance =
            label(model.rain, rowFont.digits(), kSecondary, 0.76, Qt::AlignRight | Qt::AlignVCenter);
        chance->setFixedWidth(44);
        cells->addWidget(chance);
        layout->addWidget(row);
        if (model.showsDivider) {
            auto* divider = new WidgetFill(ColorToken::of(Tint::white, 0.1), 0);
            divider->setFixedHeight(1);
            layout->addWidget(divider);
        }
    }
    return table;
}

QWidget* makeWidgetHeader(const QString& title, const QString& subtitle, int alertCount) {
    auto* header = new QWidget;
    QBoxLayout* row = box(QBoxLayout::LeftToRight, header, 8);
    auto* texts = new QWidget;
    QBoxLayout* column = box(QBoxLayout::TopToBottom, texts, 2);
    column->addWidget(
        elidingLabel(title, FontToken::style(TextStyle::headline, FontWeight::bold), kPrimary, 0.75));
    column->addWidget(elidingLabel(subtitle, subheadlineFont(), ColorToken::of(Tint::primary, 0.76), 0.78));
    row->addWidget(texts, 1, Qt::AlignTop);
    if (QWidget* badge = makeWidgetAlertBadge(alertCount, false)) {
        // The badge keeps at least 6 px to its left, whatever the title's length.
        addSpacer(row, 6);
        row->addWidget(badge, 0, Qt::AlignTop);
    }
    return header;
}

QWidget* makeMediumStyleHeader(const WidgetEntryTexts& texts) {
    auto* header = new QWidget;
    QBoxLayout* column = box(QBoxLayout::TopToBottom, header, 6);
    column->addWidget(makeWidgetHeader(texts.locationTitle, texts.conditionTitle, texts.alertCount));

    auto* middle = new QWidget;
    QBoxLayout* row = box(QBoxLayout::LeftToRight, middle, 7);
    row->addWidget(new OffsetFrame(conditionIcon(texts.iconCondition, 54, 62, 56), 62, 56, 0, -4), 0,
                   Qt::AlignTop);
    auto* temperatures = new QWidget;
    QBoxLayout* temperatureColumn = box(QBoxLayout::TopToBottom, temperatures, 0);
    temperatureColumn->setContentsMargins(0, 2, 0, 0);
    temperatureColumn->addWidget(fixedLabel(
        texts.temperature, FontToken::system(38, FontWeight::bold, FontDesign::rounded).digits(), kPrimary));
    temperatureColumn->addWidget(
        fixedLabel(QCoreApplication::translate("WidgetBlockViews", "Feels %1").arg(texts.feelsLike),
                   subheadlineFont(FontWeight::semibold), kSecondary));
    row->addWidget(temperatures, 0, Qt::AlignTop);
    addSpacer(row, 8);
    auto* highLow = new QWidget;
    QBoxLayout* highLowColumn = box(QBoxLayout::TopToBottom, highLow, 0);
    highLowColumn->setContentsMargins(0, 18, 0, 0);
    highLowColumn->addWidget(
        label(texts.highLow, subheadlineFont(FontWeight::semibold).digits(), kSecondary, 0.8));
    row->addWidget(highLow, 0, Qt::AlignTop);
    column->addWidget(middle);

    auto* chips = new QWidget;
    QBoxLayout* chipRow = box(QBoxLayout::LeftToRight, chips, 10);
    for (const WidgetContextMetric& metric : texts.metrics)
        chipRow->addWidget(makeWidgetMetricRow(metric, WidgetMetricRowStyle::compact));
    chipRow->addStretch(1);
    column->addWidget(chips);
    return header;
}

} // namespace nimbra
