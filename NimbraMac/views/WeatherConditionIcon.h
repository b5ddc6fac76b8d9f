#pragma once

#include "ConditionArtwork.h"

#include <QPointer>
#include <QWidget>

class QPalette;

namespace nimbra {

// Paints the artwork with the icon's square at origin.
void paintConditionArtwork(QPainter& painter, const ConditionArtwork& artwork, const QPointF& origin,
                           const QPalette& palette);

// The drawn picture of a weather condition in a square of `size` logical pixels, centred in its frame.
//
// The artwork may reach outside the square (the cloud's shadow, the thunderstorm's bolt), and a Qt widget
// cannot paint outside itself. So the icon takes only its frame in layouts and draws on a transparent canvas
// that lies on its surface (the nearest ancestor marked with markAsIconSurface(), else its parent) with room
// around the square, beneath the surface's other children.
class WeatherConditionIcon : public QWidget {
    Q_OBJECT
public:
    WeatherConditionIcon(WeatherCondition condition, double size, QWidget* parent = nullptr);
    ~WeatherConditionIcon() override;

    void setCondition(WeatherCondition condition);
    WeatherCondition condition() const { return m_condition; }
    double iconSize() const { return m_size; }
    // The layout frame around the square; defaults to the square itself.
    void setFrameSize(double width, double height);

    // The square the artwork is laid out in, in this widget's coordinates.
    QRectF iconSquare() const;
    // The room left around the square for what the artwork draws outside it.
    static int overhang(double size);

    static void markAsIconSurface(QWidget* widget);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attachCanvas();
    void syncCanvas();

    WeatherCondition m_condition;
    double m_size;
    double m_frameWidth;
    double m_frameHeight;
    QPointer<QWidget> m_canvas;
    QList<QPointer<QWidget>> m_chain;
};

} // namespace nimbra
