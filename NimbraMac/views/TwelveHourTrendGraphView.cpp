#include "TwelveHourTrendGraphView.h"

#include "FitLabel.h"
#include "HorizontalScrollArea.h"
#include "SectionLabel.h"
#include "SymbolImage.h"
#include "TextDrawing.h"
#include "ViewShapes.h"
#include "ViewTheme.h"
#include "WrapLabel.h"

#include <QBoxLayout>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>
#include <tuple>

namespace nimbra {

namespace {
constexpr double chipPaddingX = 10;
constexpr double chipPaddingY = 6;
constexpr double chipIconGap = 4;
} // namespace

TrendChartView::TrendChartView(const TrendViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setFixedHeight(int(std::ceil(model.chartHeight)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumWidth(0);
    setAccessibleName(model.accessibilityLabel);
    for (const QString& text : model.valueLabels) {
        auto* label = new FitLabel(text, model.axisStyle, TrendViewModel::axisMinimumScale, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_valueLabels.append(label);
    }
}

void TrendChartView::setModel(const TrendViewModel& model) {
    m_model = model;
    setAccessibleName(model.accessibilityLabel);
    for (qsizetype i = 0; i < m_valueLabels.size(); ++i)
        m_valueLabels[i]->setText(model.valueLabels[i]);
    update();
}

TrendChartGeometry TrendChartView::chartGeometry() const {
    return trendChartGeometry(m_model.points, m_model.rainPoints, m_model.scale,
                              m_model.leadingInset + m_model.axisSpacing, QSizeF(size()));
}

void TrendChartView::resizeEvent(QResizeEvent*) {
    // Top, middle and bottom of the value column, which is as wide as the inset without the axis spacing.
    const int w = int(m_model.leadingInset);
    const int h = m_valueLabels.first()->sizeHint().height();
    m_valueLabels[0]->setGeometry(0, 0, w, h);
    m_valueLabels[1]->setGeometry(0, (height() - h) / 2, w, h);
    m_valueLabels[2]->setGeometry(0, height() - h, w, h);
}

void TrendChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const TrendChartGeometry g = chartGeometry();
    const QPalette& pal = palette();

    QPen grid(theme::color(Tint::secondary, pal, 0.16), 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    grid.setMiterLimit(10);
    grid.setDashPattern({3, 5});
    grid.setDashOffset(0);
    painter.setPen(grid);
    for (const double y : g.gridY)
        painter.drawLine(QPointF(g.outer.left(), y), QPointF(g.outer.right(), y));

    const QColor barColor = theme::color(Tint::blue, pal, 0.18);
    for (const QRectF& bar : g.bars)
        painter.fillPath(shapes::roundedRect(bar, 2), barColor);

    if (g.coordinates.size() >= 2) {
        const QColor tint = theme::color(m_model.tint, pal);
        QPainterPath area;
        area.moveTo(g.coordinates.first().x(), g.plot.bottom());
        for (const QPointF& c : g.coordinates)
            area.lineTo(c);
        area.lineTo(g.coordinates.last().x(), g.plot.bottom());
        area.closeSubpath();
        QLinearGradient fill(0, 0, 0, height());
        QColor top = tint;
        top.setAlphaF(0.22f);
        QColor bottom = tint;
        bottom.setAlphaF(0.03f);
        fill.setColorAt(0, top);
        fill.setColorAt(1, bottom);
        painter.fillPath(area, fill);

        QPainterPath line;
        line.moveTo(g.coordinates.first());
        for (qsizetype i = 1; i < g.coordinates.size(); ++i)
            line.lineTo(g.coordinates[i]);
        QPen pen(tint, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setMiterLimit(10);
        painter.strokePath(line, pen);

        painter.setPen(Qt::NoPen);
        painter.setBrush(tint);
        for (const QPointF& c : g.coordinates)
            painter.drawEllipse(c, 2.5, 2.5);
    }
}

TrendChipButton::TrendChipButton(const TrendChip& chip, const TextToken& style, QWidget* parent)
    : QAbstractButton(parent), m_chip(chip), m_style(style) {
    setText(chip.title);
    setToolTip(chip.title);
    setAccessibleName(chip.title);
    setCheckable(false);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TrendChipButton::setChip(const TrendChip& chip) {
    if (chip == m_chip)
        return;
    const bool resized = chip.title != m_chip.title;
    m_chip = chip;
    setText(chip.title);
    setToolTip(chip.title);
    setAccessibleName(chip.title);
    if (resized)
        updateGeometry();
    update();
}

QSize TrendChipButton::sizeHint() const {
    const QFont font = theme::font(m_style.font);
    const QFontMetricsF metrics(font);
    const double icon = m_style.font.pixelSize;
    const double w = 2 * chipPaddingX + icon + chipIconGap + metrics.horizontalAdvance(m_chip.title);
    const double h = 2 * chipPaddingY + std::ceil(metrics.ascent() + metrics.descent());
    return {int(std::ceil(w)), int(std::ceil(h))};
}

void TrendChipButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    painter.fillPath(shapes::capsule(QRectF(rect())), theme::color(m_chip.fill, pal));
    const QColor fg = theme::color(m_chip.foreground, pal);
    const QFont font = theme::font(m_style.font);
    const QFontMetricsF metrics(font);
    const double icon = m_style.font.pixelSize;
    // The label is centred as a whole: symbol, gap, title.
    const double content = icon + chipIconGap + metrics.horizontalAdvance(m_chip.title);
    double x = (width() - content) / 2;
    SymbolImage::draw(painter, m_chip.symbol, QRectF(x, (height() - icon) / 2, icon, icon), fg,
                      m_style.font.weight);
    x += icon + chipIconGap;
    painter.setPen(fg);
    const double baseline = (height() - (metrics.ascent() + metrics.descent())) / 2 + metrics.ascent();
    textdrawing::draw(painter, QPointF(x, baseline), font, m_chip.title, false);
}

TwelveHourTrendGraphView::TwelveHourTrendGraphView(const QList<WeatherSample>& hourly,
                                                   const WeatherSettings& settings,
                                                   TrendMetric selectedMetric, double chartHeight,
                                                   double axisSpacing, const LocalCalendar& calendar,
                                                   QWidget* parent)
    : CardWidget(parent), m_hourly(hourly), m_settings(settings), m_metric(selectedMetric),
      m_chartHeight(chartHeight), m_axisSpacing(axisSpacing), m_calendar(calendar) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(0);
    rebuild();
}

void TwelveHourTrendGraphView::setForecast(const QList<WeatherSample>& hourly,
                                           const WeatherSettings& settings) {
    m_hourly = hourly;
    m_settings = settings;
    rebuild();
}

void TwelveHourTrendGraphView::setSelectedMetric(TrendMetric metric) {
    if (metric == m_metric)
        return;
    m_metric = metric;
    rebuild();
    Q_EMIT selectedMetricChanged(metric);
}

void TwelveHourTrendGraphView::rebuild() {
    TrendViewModel model =
        buildTrendViewModel(m_hourly, m_settings, m_metric, m_calendar, m_chartHeight, m_axisSpacing);
    if (m_content && model == m_model)
        return;
    if (m_content && updateContent(model))
        return;
    m_model = std::move(model);
    buildContent();
}

bool TwelveHourTrendGraphView::updateContent(const TrendViewModel& model) {
    // The same rows, sizes and styles: only what they show differs.
    const auto looks = [](const TrendViewModel& m) {
        return std::tuple(m.sectionTitle, m.showsChart, m.chips.size(), m.leadingInset, m.axisSpacing,
                          m.chartHeight, m.rangeStyle, m.emptyStyle, m.axisStyle, m.chipStyle);
    };
    if (looks(model) != looks(m_model))
        return false;
    m_model = model;
    m_range->setText(model.rangeText);
    if (m_chart) {
        m_chart->setModel(model);
        for (qsizetype i = 0; i < m_hourLabels.size(); ++i)
            m_hourLabels[i]->setText(model.hourLabels[i]);
    } else {
        m_empty->setText(model.emptyText);
    }
    for (qsizetype i = 0; i < m_chips.size(); ++i)
        m_chips[i]->setChip(model.chips[i]);
    return true;
}

void TwelveHourTrendGraphView::buildContent() {
    const TrendViewModel& vm = m_model;
    // Keep the chips row where the user scrolled it.
    int chipScroll = 0;
    if (m_content) {
        if (auto* scroll = m_content->findChild<HorizontalScrollArea*>())
            chipScroll = scroll->scrollPosition();
        m_content->hide();
        m_content->deleteLater();
    }
    m_chips.clear();
    m_hourLabels.clear();
    m_content = new QWidget(this);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* header = new QHBoxLayout;
    auto* label = new SectionLabel(vm.sectionTitle);
    header->addWidget(label, 0, Qt::AlignBottom);
    header->addStretch(1);
    m_range = new FitLabel(vm.rangeText, vm.rangeStyle);
    header->addWidget(m_range, 0, Qt::AlignBottom);
    column->addLayout(header);

    if (!vm.showsChart) {
        auto* empty = new WrapLabel(vm.emptyText, vm.emptyStyle);
        empty->setAlignment(Qt::AlignHCenter);
        m_empty = empty;
        auto* holder = new QWidget;
        holder->setMinimumHeight(int(std::ceil(vm.chartHeight)));
        auto* centre = new QVBoxLayout(holder);
        centre->setContentsMargins(0, 0, 0, 0);
        centre->addStretch(1);
        centre->addWidget(empty);
        centre->addStretch(1);
        column->addWidget(holder);
        m_chart = nullptr;
    } else {
        m_empty = nullptr;
        auto* block = new QVBoxLayout;
        block->setSpacing(4);
        m_chart = new TrendChartView(vm);
        block->addWidget(m_chart);
        auto* hours = new QHBoxLayout;
        hours->setContentsMargins(int(std::lround(vm.leadingInset + vm.axisSpacing)), 0, 0, 0);
        for (int i = 0; i < 3; ++i) {
            if (i > 0)
                hours->addStretch(1);
            m_hourLabels.append(new FitLabel(vm.hourLabels[i], vm.axisStyle));
            hours->addWidget(m_hourLabels.last());
        }
        block->addLayout(hours);
        column->addLayout(block);
    }

    auto* chipRow = new QWidget;
    auto* chips = new QHBoxLayout(chipRow);
    chips->setContentsMargins(0, 0, 0, 0);
    chips->setSpacing(8);
    for (const TrendChip& chip : vm.chips) {
        auto* button = new TrendChipButton(chip, vm.chipStyle);
        // The chip's metric at the click: an update in place may have given it another.
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { setSelectedMetric(button->chip().metric); });
        chips->addWidget(button, 0, Qt::AlignVCenter);
        m_chips.append(button);
    }
    auto* scroll = new HorizontalScrollArea(chipRow);
    column->addWidget(scroll);
    scroll->setScrollPosition(chipScroll);

    layout()->addWidget(m_content);
}

} // namespace nimbra
