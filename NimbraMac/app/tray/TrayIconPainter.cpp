#include "TrayIconPainter.h"

#include "ConditionArtwork.h"
#include "TrayDigits.h"
#include "ViewTheme.h"
#include "WeatherConditionIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace nimbra::TrayIconPainter {
namespace {

const QColor kRim(0, 0, 0, 190);

// Our own stroked digits: the reading as large as the square allows, right-aligned on its bottom edge.
void paintDigits(QPainter& p, const QString& text, int edge, double rim) {
    const double room = edge - rim;
    double height = edge * 0.47;
    height = qMin(height, height * room / TrayDigits::width(text, height));
    const QPainterPath lines = TrayDigits::centreLines(text, height, QPointF(edge - rim / 2, edge - rim / 2));
    const double stroke = TrayDigits::strokeWidth(height);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRim, stroke + rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(lines);
    p.setPen(QPen(Qt::white, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(lines);
}

// Anything the digits do not cover, in the rounded face.
void paintText(QPainter& p, const QString& text, int edge, double rim) {
    QFont font(theme::roundedFamily());
    font.setWeight(QFont::Bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    // Long readings shrink to fit the square.
    font.setPixelSize(textPixelSize(font, text, edge));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const QPointF baseline(edge - width, edge - metrics.descent() * 0.35);
    QPainterPath outline;
    outline.addText(baseline, font, text);
    p.setPen(QPen(kRim, rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(outline);
}

} // namespace

int textPixelSize(QFont font, const QString& text, int edge) {
    const double start = edge * 0.56;
    const int largest = qMax(1, qRound(start));
    if (largest <= 6)
        return largest;
    const auto fits = [&](int pixelSize) {
        font.setPixelSize(pixelSize);
        return QFontMetricsF(font).horizontalAdvance(text) <= edge;
    };
    font.setPixelSize(largest);
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width <= edge)
        return largest;
    // Every size shapes the text again, so guess from the width at the largest size (the width grows about
    // in proportion to the size) and check around the guess instead of trying each size downwards.
    int size = qBound(6, int(largest * edge / width), largest - 1);
    while (size > 6 && !fits(size))
        --size;
    while (size + 1 < largest && fits(size + 1))
        ++size;
    return size;
}

QImage image(const StatusItemModel& model, int edge, qreal devicePixelRatio) {
    QImage image(QSize(edge, edge) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const double glyph = edge * 0.6;
    paintConditionArtwork(p, conditionArtwork(model.condition, glyph), QPointF(edge * 0.02, edge * 0.02),
                          QPalette());

    const double rim = qMax(1.5, edge / 11.0);
    if (TrayDigits::canDraw(model.iconText))
        paintDigits(p, model.iconText, edge, rim);
    else
        paintText(p, model.iconText, edge, rim);
    return image;
}

} // namespace nimbra::TrayIconPainter
