#pragma once

#include "ViewTokens.h"

#include <QList>
#include <QRectF>
#include <QWidget>

class QGridLayout;

namespace nimbra {

// One figure of the hero card's strip. Its identity is its title, so titles are unique within one strip.
struct WeatherContextMetricItem {
    QString title;
    QString value;
    QString systemImage;
    ColorToken tint;

    const QString& id() const { return title; }
    bool operator==(const WeatherContextMetricItem&) const = default;
};

// Where the strip's cells, dividers and hairlines go: one row of equal columns (at least one column), a
// divider over the leading edge of every cell but the first, 1 px padding above and below, hairlines over
// both edges.
struct MetricStripGeometry {
    QList<QRectF> cells;
    QList<QRectF> dividers;
    QRectF topHairline;
    QRectF bottomHairline;
    double height = 0;
};

MetricStripGeometry metricStripGeometry(qsizetype itemCount, double width, double cellHeight);

namespace metricstrip {
inline constexpr double symbolSize = 14;
inline constexpr double symbolFrameHeight = 16;
inline constexpr double cellSpacing = 5;
inline constexpr double cellPaddingX = 3;
inline constexpr double cellPaddingY = 9;
inline constexpr double valueMinimumScale = 0.68;
inline constexpr double captionMinimumScale = 0.72;
TextToken valueStyle();
TextToken captionStyle();
QString captionText(const QString& title);
ColorToken lineColor();
} // namespace metricstrip

class FitLabel;
class SymbolView;

class WeatherContextMetricStrip : public QWidget {
    Q_OBJECT
public:
    explicit WeatherContextMetricStrip(const QList<WeatherContextMetricItem>& items,
                                       QWidget* parent = nullptr);

    const QList<WeatherContextMetricItem>& items() const { return m_items; }
    // Shows as many other figures in the same cells.
    void setItems(const QList<WeatherContextMetricItem>& items);
    MetricStripGeometry geometryForWidth(double width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Cell {
        SymbolView* symbol;
        FitLabel* value;
        FitLabel* caption;
    };
    double cellHeight() const;
    void placeCells();

    QList<WeatherContextMetricItem> m_items;
    QList<Cell> m_cells;
};

} // namespace nimbra
