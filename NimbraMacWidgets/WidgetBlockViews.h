#pragma once

#include "WidgetBlocks.h"
#include "WidgetContextMetric.h"
#include "WidgetEntryTexts.h"

#include <QBoxLayout>
#include <QWidget>

#include <optional>

namespace nimbra {

class FitLabel;

// Thin painters of the widgets' blocks: each builds child widgets from its model and holds no rule of its
// own.

// A fill behind its children: a rounded rectangle, or a capsule when the radius is negative.
class WidgetFill : public QWidget {
    Q_OBJECT
public:
    static constexpr double capsule = -1;

    explicit WidgetFill(std::optional<ColorToken> fill = std::nullopt, double radius = capsule,
                        QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ColorToken> m_fill;
    double m_radius;
};

// A frame of fixed size whose single child is drawn moved by an offset, without moving anything around it.
class OffsetFrame : public QWidget {
    Q_OBJECT
public:
    OffsetFrame(QWidget* child, double width, double height, double dx, double dy, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_child;
    double m_dx;
    double m_dy;
};

QWidget* makeWidgetMetricRow(const WidgetContextMetric& metric, WidgetMetricRowStyle style);
QWidget* makeWidgetMetricMiniStrip(const QList<WidgetContextMetric>& metrics);
QWidget* makeRainPill(std::optional<double> probability, bool compact);
// Null for a count below 1.
QWidget* makeWidgetAlertBadge(int count, bool compact);
QWidget* makeHourlyMiniStrip(const HourlyMiniStripModel& model);
QWidget* makeTenDayCompactGrid(const QList<DayCellModel>& cells);
QWidget* makeTenDayLargeForecastGrid(const QList<DayCellModel>& cells);
QWidget* makeDailyMiniRows(const QList<DailyMiniRowModel>& rows);

// Title and subtitle over each other, the alert badge at the trailing edge.
QWidget* makeWidgetHeader(const QString& title, const QString& subtitle, int alertCount);
// The large current widget's header: title row, temperature with icon and feels-like, high/low, metric chips.
QWidget* makeMediumStyleHeader(const WidgetEntryTexts& texts);

// Small building helpers shared by the blocks and the layouts.
namespace widgetparts {
// One line that shrinks to `minimumScale` before it would be cut.
FitLabel* label(const QString& text, const FontToken& font, const ColorToken& color,
                double minimumScale = 1.0, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A text that never shrinks: it keeps its full width.
FitLabel* fixedLabel(const QString& text, const FontToken& font, const ColorToken& color);
// A name that may be cut with an ellipsis once shrunk (place and condition names), so it never pushes its
// neighbours out. Marked so that the fit checks know the cut is intended.
FitLabel* elidingLabel(const QString& text, const FontToken& font, const ColorToken& color,
                       double minimumScale);
inline const char* elidesProperty = "nimbraElides";
QBoxLayout* box(QBoxLayout::Direction direction, QWidget* owner, double spacing);
// A spacer that takes what is left, but never less than `minimum`.
void addSpacer(QBoxLayout* layout, int minimum);
QWidget* conditionIcon(WeatherCondition condition, double size, double frameWidth, double frameHeight);
// A rounded fill of at least `height` that grows when its content needs more, so no padding is given up.
void fixHeightAtLeast(QWidget* fill, int height);
} // namespace widgetparts

// The widgets' text style that the platform calls subheadline.
FontToken subheadlineFont(FontWeight weight = FontWeight::regular);

} // namespace nimbra
