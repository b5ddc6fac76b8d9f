#include "WeatherConditionIcon.h"

#include "SymbolImage.h"
#include "ViewShapes.h"
#include "ViewTheme.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace nimbra {

namespace {

const char* const surfaceProperty = "nimbraIconSurface";

QPainterPath shapePath(const ArtworkElement& e) {
    switch (e.shape) {
    case ArtworkShape::ellipse:
    case ArtworkShape::ring:
        return shapes::ellipse(e.frame);
    case ArtworkShape::capsule:
        return shapes::capsule(e.frame);
    case ArtworkShape::polygon: {
        QPainterPath p;
        p.setFillRule(Qt::WindingFill);
        p.addPolygon(QPolygonF(e.polygon));
        p.closeSubpath();
        return p;
    }
    case ArtworkShape::symbol:
        return {};
    }
    return {};
}

QBrush brushFor(const ArtworkPaint& paint, const QRectF& frame, const QPalette& palette) {
    const QColor from = theme::color(paint.from, palette);
    const QColor to = theme::color(paint.to, palette);
    switch (paint.kind) {
    case ArtworkPaint::Kind::solid:
        return from;
    case ArtworkPaint::Kind::vertical: {
        QLinearGradient g(frame.topLeft(), frame.bottomLeft());
        g.setColorAt(0, from);
        g.setColorAt(1, to);
        return g;
    }
    case ArtworkPaint::Kind::across: {
        QLinearGradient g(frame.topLeft(), frame.topRight());
        g.setColorAt(0, from);
        g.setColorAt(1, to);
        return g;
    }
    case ArtworkPaint::Kind::radial: {
        const double end = qMax(paint.endRadius, paint.startRadius + 0.01);
        QRadialGradient g(frame.center(), end);
        g.setColorAt(0, from);
        g.setColorAt(qBound(0.0, paint.startRadius / end, 1.0), from);
        g.setColorAt(1, to);
        return g;
    }
    }
    return from;
}

void paintElement(QPainter& painter, const ArtworkElement& e, const QPalette& palette) {
    painter.save();
    painter.translate(e.offset);
    if (e.rotationDegrees != 0) {
        const QPointF c = e.frame.center();
        painter.translate(c);
        painter.rotate(e.rotationDegrees);
        painter.translate(-c);
    }
    switch (e.shape) {
    case ArtworkShape::symbol:
        SymbolImage::draw(painter, e.symbol, e.frame, theme::color(e.paint.from, palette),
                          FontWeight::semibold);
        break;
    case ArtworkShape::ring: {
        QPen pen(theme::color(e.paint.from, palette), e.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(e.frame);
        break;
    }
    default:
        painter.fillPath(shapePath(e), brushFor(e.paint, e.frame, palette));
        break;
    }
    painter.restore();
}

class ConditionIconCanvas : public QWidget {
public:
    ConditionIconCanvas() {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    ConditionArtwork artwork;
    QPointF origin;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintConditionArtwork(painter, artwork, origin, palette());
    }
};

} // namespace

void paintConditionArtwork(QPainter& painter, const ConditionArtwork& artwork, const QPointF& origin,
                           const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    bool shadowDrawn = false;
    for (const ArtworkElement& e : artwork.elements) {
        if (e.castsCloudShadow && !shadowDrawn && artwork.cloudShadow) {
            // The cloud's layers cast one shadow together.
            QPainterPath silhouette;
            for (const ArtworkElement& layer : artwork.elements) {
                if (layer.castsCloudShadow)
                    silhouette.addPath(shapePath(layer).translated(layer.offset));
            }
            shapes::drawShadow(painter, silhouette.simplified(),
                               theme::color(artwork.cloudShadow->color, palette), artwork.cloudShadow->radius,
                               artwork.cloudShadow->offset);
            shadowDrawn = true;
        }
        paintElement(painter, e, palette);
    }
    painter.restore();
}

WeatherConditionIcon::WeatherConditionIcon(WeatherCondition condition, double size, QWidget* parent)
    : QWidget(parent), m_condition(condition), m_size(size), m_frameWidth(size), m_frameHeight(size) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(conditions::title(condition));
    attachCanvas();
}

WeatherConditionIcon::~WeatherConditionIcon() {
    delete m_canvas.data();
}

void WeatherConditionIcon::setCondition(WeatherCondition condition) {
    if (condition == m_condition)
        return;
    m_condition = condition;
    setAccessibleName(conditions::title(condition));
    syncCanvas();
}

void WeatherConditionIcon::setFrameSize(double width, double height) {
    m_frameWidth = width;
    m_frameHeight = height;
    updateGeometry();
}

QRectF WeatherConditionIcon::iconSquare() const {
    return {(width() - m_size) / 2, (height() - m_size) / 2, m_size, m_size};
}

int WeatherConditionIcon::overhang(double size) {
    return int(std::ceil(0.3 * size)) + 4;
}

void WeatherConditionIcon::markAsIconSurface(QWidget* widget) {
    widget->setProperty(surfaceProperty, true);
}

QSize WeatherConditionIcon::sizeHint() const {
    return {int(std::ceil(m_frameWidth)), int(std::ceil(m_frameHeight))};
}

void WeatherConditionIcon::attachCanvas() {
    for (const QPointer<QWidget>& w : std::as_const(m_chain)) {
        if (w)
            w->removeEventFilter(this);
    }
    m_chain.clear();
    QWidget* surface = parentWidget();
    if (!surface)
        return;
    // The surface is the nearest marked ancestor; the widgets between it and the icon move the icon when they
    // move, so they are watched too.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (w->property(surfaceProperty).toBool()) {
            surface = w;
            break;
        }
    }
    // The surface itself is watched for being moved into another surface later.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        w->installEventFilter(this);
        m_chain.append(w);
        if (w == surface)
            break;
    }
    if (!m_canvas)
        m_canvas = new ConditionIconCanvas;
    if (m_canvas->parentWidget() != surface)
        m_canvas->setParent(surface);
    m_canvas->lower();
    syncCanvas();
}

void WeatherConditionIcon::syncCanvas() {
    if (!m_canvas || !m_canvas->parentWidget())
        return;
    auto* canvas = static_cast<ConditionIconCanvas*>(m_canvas.data());
    const int margin = overhang(m_size);
    const QPoint topLeft = mapTo(canvas->parentWidget(), QPoint(0, 0));
    canvas->setGeometry(QRect(topLeft, size()).adjusted(-margin, -margin, margin, margin));
    canvas->artwork = conditionArtwork(m_condition, m_size);
    canvas->origin = iconSquare().topLeft() + QPointF(margin, margin);
    canvas->setVisible(isVisibleTo(canvas->parentWidget()));
    canvas->update();
}

bool WeatherConditionIcon::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
        attachCanvas();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::PaletteChange:
        syncCanvas();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool WeatherConditionIcon::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        syncCanvas();
        break;
    case QEvent::ParentChange:
        attachCanvas();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nimbra
