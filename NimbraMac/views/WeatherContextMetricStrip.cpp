#include "WeatherContextMetricStrip.h"

#include "FitLabel.h"
#include "SymbolView.h"
#include "ViewTheme.h"

#include <QPainter>

#include <cmath>

namespace nimbra {

MetricStripGeometry metricStripGeometry(qsizetype itemCount, double width, double cellHeight) {
    MetricStripGeometry g;
    const qsizetype columns = qMax<qsizetype>(itemCount, 1);
    const double columnWidth = width / double(columns);
    const double rowHeight = itemCount > 0 ? cellHeight : 0;
    for (qsizetype k = 0; k < itemCount; ++k) {
        const QRectF cell(k * columnWidth, 1, columnWidth, rowHeight);
        g.cells.append(cell);
        if (k >= 1)
            g.dividers.append(QRectF(cell.left(), cell.top(), 1, cell.height()));
    }
    g.height = rowHeight + 2;
    g.topHairline = QRectF(0, 0, width, 1);
    g.bottomHairline = QRectF(0, g.height - 1, width, 1);
    return g;
}

namespace metricstrip {
TextToken valueStyle() {
    return {FontToken::style(TextStyle::caption, FontWeight::semibold).digits(),
            ColorToken::of(Tint::primary)};
}
TextToken captionStyle() {
    return {FontToken::system(8, FontWeight::semibold).tracked(0.5), ColorToken::of(Tint::secondary)};
}
QString captionText(const QString& title) {
    return title.toUpper();
}
ColorToken lineColor() {
    return ColorToken::of(Tint::secondary, 0.14);
}
} // namespace metricstrip

WeatherContextMetricStrip::WeatherContextMetricStrip(const QList<WeatherContextMetricItem>& items,
                                                     QWidget* parent)
    : QWidget(parent), m_items(items) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (const WeatherContextMetricItem& item : m_items) {
        Cell cell;
        cell.symbol =
            new SymbolView(item.systemImage, metricstrip::symbolSize, FontWeight::semibold, item.tint, this);
        cell.value =
            new FitLabel(item.value, metricstrip::valueStyle(), metricstrip::valueMinimumScale, this);
        cell.value->setAlignment(Qt::AlignCenter);
        cell.caption = new FitLabel(metricstrip::captionText(item.title), metricstrip::captionStyle(),
                                    metricstrip::captionMinimumScale, this);
        cell.caption->setAlignment(Qt::AlignCenter);
        m_cells.append(cell);
    }
}

void WeatherContextMetricStrip::setItems(const QList<WeatherContextMetricItem>& items) {
    Q_ASSERT(items.size() == m_cells.size());
    m_items = items;
    for (qsizetype k = 0; k < m_cells.size() && k < items.size(); ++k) {
        const Cell& c = m_cells[k];
        c.symbol->setSymbol(items[k].systemImage, items[k].tint);
        c.value->setText(items[k].value);
        c.caption->setText(metricstrip::captionText(items[k].title));
    }
    // The cells lie outside any layout: the strip's own size follows their texts.
    updateGeometry();
}

double WeatherContextMetricStrip::cellHeight() const {
    if (m_cells.isEmpty())
        return 0;
    const Cell& c = m_cells.first();
    return 2 * metricstrip::cellPaddingY + metricstrip::symbolFrameHeight + 2 * metricstrip::cellSpacing +
           c.value->sizeHint().height() + c.caption->sizeHint().height();
}

MetricStripGeometry WeatherContextMetricStrip::geometryForWidth(double width) const {
    return metricStripGeometry(m_items.size(), width, cellHeight());
}

QSize WeatherContextMetricStrip::sizeHint() const {
    int width = 0;
    for (const Cell& c : m_cells) {
        const int content = qMax(c.value->sizeHint().width(), c.caption->sizeHint().width());
        width = qMax(width, content + int(2 * metricstrip::cellPaddingX));
    }
    return {width * int(qMax<qsizetype>(m_cells.size(), 1)), int(std::ceil(geometryForWidth(width).height))};
}

QSize WeatherContextMetricStrip::minimumSizeHint() const {
    int width = 0;
    for (const Cell& c : m_cells) {
        const int content = qMax(c.value->minimumSizeHint().width(), c.caption->minimumSizeHint().width());
        width = qMax(width, content + int(2 * metricstrip::cellPaddingX));
    }
    return {width * int(qMax<qsizetype>(m_cells.size(), 1)), sizeHint().height()};
}

void WeatherContextMetricStrip::placeCells() {
    const MetricStripGeometry g = geometryForWidth(width());
    for (qsizetype k = 0; k < m_cells.size(); ++k) {
        const QRectF inner = g.cells[k].adjusted(metricstrip::cellPaddingX, metricstrip::cellPaddingY,
                                                 -metricstrip::cellPaddingX, -metricstrip::cellPaddingY);
        const Cell& c = m_cells[k];
        double y = inner.top();
        c.symbol->setGeometry(
            QRectF(inner.left(), y, inner.width(), metricstrip::symbolFrameHeight).toRect());
        y += metricstrip::symbolFrameHeight + metricstrip::cellSpacing;
        const int valueHeight = c.value->sizeHint().height();
        c.value->setGeometry(QRectF(inner.left(), y, inner.width(), valueHeight).toRect());
        y += valueHeight + metricstrip::cellSpacing;
        c.caption->setGeometry(
            QRectF(inner.left(), y, inner.width(), c.caption->sizeHint().height()).toRect());
    }
}

void WeatherContextMetricStrip::resizeEvent(QResizeEvent*) {
    placeCells();
}

void WeatherContextMetricStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor line = theme::color(metricstrip::lineColor(), palette());
    const MetricStripGeometry g = geometryForWidth(width());
    for (const QRectF& divider : g.dividers)
        painter.fillRect(divider, line);
    painter.fillRect(g.topHairline, line);
    painter.fillRect(g.bottomHairline, line);
}

} // namespace nimbra
