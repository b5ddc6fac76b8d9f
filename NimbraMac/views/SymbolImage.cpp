#include "SymbolImage.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QThreadPool>
#include <QTransform>

#include <cmath>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace nimbra {

namespace {

// Glyphs are drawn in a unit square (y downwards) scaled to the box.
struct Glyph {
    QPainterPath fill;   // filled areas
    QPainterPath stroke; // centre lines stroked with round caps and joins
    QPainterPath faint;  // filled areas of the secondary layer
    double strokeScale = 1.0;
};

// Qt's path booleans flatten curves with a tolerance in path units, so they run in a finely scaled space.
QPainterPath scaled(const QPainterPath& p, double factor) {
    return QTransform::fromScale(factor, factor).map(p);
}
QPainterPath subtracted(const QPainterPath& a, const QPainterPath& b) {
    return scaled(scaled(a, 1000).subtracted(scaled(b, 1000)), 0.001);
}
QPainterPath united(const QPainterPath& a, const QPainterPath& b) {
    return scaled(scaled(a, 1000).united(scaled(b, 1000)), 0.001);
}
QPainterPath strokeOf(const QPainterPath& centreLine, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width * 1000);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return scaled(stroker.createStroke(scaled(centreLine, 1000)), 0.001);
}

double strokeWidth(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular:
        return 0.075;
    case FontWeight::medium:
        return 0.085;
    case FontWeight::semibold:
        return 0.095;
    case FontWeight::bold:
        return 0.11;
    }
    return 0.095;
}

QPointF polar(QPointF centre, double radius, double degrees) {
    const double r = degrees * M_PI / 180.0;
    return {centre.x() + radius * std::cos(r), centre.y() - radius * std::sin(r)};
}

QPainterPath dropPath(QPointF apex, double radius, double centreY) {
    const double cx = apex.x();
    QPainterPath p;
    p.moveTo(apex);
    p.cubicTo(QPointF(cx + radius * 0.25, apex.y() + (centreY - apex.y()) * 0.3),
              QPointF(cx + radius, centreY - radius * 0.75), QPointF(cx + radius, centreY));
    p.arcTo(QRectF(cx - radius, centreY - radius, 2 * radius, 2 * radius), 0, -180);
    p.cubicTo(QPointF(cx - radius, centreY - radius * 0.75),
              QPointF(cx - radius * 0.25, apex.y() + (centreY - apex.y()) * 0.3), apex);
    p.closeSubpath();
    return p;
}

// A horizontal stroke that ends in a curl turning up (or down) around a circle of the given radius.
void addWindStroke(QPainterPath& p, double y, double x0, double x1, double radius, bool curlUp) {
    p.moveTo(x0, y);
    p.lineTo(x1, y);
    const QRectF circle(x1 - radius, curlUp ? y - 2 * radius : y, 2 * radius, 2 * radius);
    if (curlUp)
        p.arcTo(circle, 270, 250);
    else
        p.arcTo(circle, 90, -250);
}

Glyph wind() {
    Glyph g;
    addWindStroke(g.stroke, 0.32, 0.08, 0.58, 0.11, true);
    addWindStroke(g.stroke, 0.52, 0.08, 0.76, 0.11, true);
    addWindStroke(g.stroke, 0.72, 0.08, 0.50, 0.10, false);
    return g;
}

Glyph humidity() {
    Glyph g;
    const QPainterPath drop = dropPath(QPointF(0.5, 0.05), 0.33, 0.63);
    QPainterPath waves;
    for (const double y : {0.58, 0.74}) {
        waves.moveTo(0.27, y);
        waves.cubicTo(QPointF(0.36, y - 0.07), QPointF(0.42, y - 0.07), QPointF(0.5, y));
        waves.cubicTo(QPointF(0.58, y + 0.07), QPointF(0.64, y + 0.07), QPointF(0.73, y));
    }
    g.fill = subtracted(drop, strokeOf(waves, 0.07));
    return g;
}

Glyph sunEvent(bool rising) {
    Glyph g;
    const QPointF centre(0.5, 0.80);
    const double r = 0.19;
    QPainterPath disc;
    disc.moveTo(centre.x() + r, centre.y());
    disc.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 0, 180);
    disc.closeSubpath();
    g.fill = disc;
    g.stroke.moveTo(0.06, 0.90);
    g.stroke.lineTo(0.94, 0.90);
    for (const double a : {165.0, 125.0, 55.0, 15.0}) {
        g.stroke.moveTo(polar(centre, 0.27, a));
        g.stroke.lineTo(polar(centre, 0.36, a));
    }
    // The arrow above the sun points up for sunrise and down for sunset.
    const double tip = rising ? 0.06 : 0.44;
    const double tail = rising ? 0.44 : 0.06;
    const double head = rising ? 0.12 : -0.12;
    g.stroke.moveTo(0.5, tail);
    g.stroke.lineTo(0.5, tip);
    g.stroke.moveTo(0.5 - 0.11, tip + head);
    g.stroke.lineTo(0.5, tip);
    g.stroke.lineTo(0.5 + 0.11, tip + head);
    return g;
}

void addThermometer(Glyph& g, double cx, double scale) {
    const double stemW = 0.20 * scale;
    const double bulbR = 0.17 * scale;
    const double bulbY = 0.94 - bulbR - 0.02;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(cx - stemW / 2, 0.06, stemW, bulbY - 0.06), stemW / 2, stemW / 2);
    QPainterPath bulb;
    bulb.addEllipse(QPointF(cx, bulbY), bulbR, bulbR);
    g.stroke.addPath(united(outline, bulb));
    QPainterPath mercury;
    mercury.addEllipse(QPointF(cx, bulbY), bulbR * 0.55, bulbR * 0.55);
    const double columnW = stemW * 0.36;
    mercury.addRoundedRect(QRectF(cx - columnW / 2, 0.40, columnW, bulbY - 0.40), columnW / 2, columnW / 2);
    g.fill.addPath(scaled(scaled(mercury, 1000).simplified(), 0.001));
}

Glyph thermometerMedium() {
    Glyph g;
    addThermometer(g, 0.42, 1.0);
    for (const double y : {0.20, 0.32, 0.44}) {
        g.stroke.moveTo(0.64, y);
        g.stroke.lineTo(0.76, y);
    }
    return g;
}

Glyph thermometerSun() {
    Glyph g;
    addThermometer(g, 0.30, 0.92);
    const QPointF sun(0.72, 0.34);
    QPainterPath disc;
    disc.addEllipse(sun, 0.11, 0.11);
    g.faint.addPath(disc);
    QPainterPath rays;
    for (int i = 0; i < 8; ++i) {
        rays.moveTo(polar(sun, 0.17, i * 45.0));
        rays.lineTo(polar(sun, 0.24, i * 45.0));
    }
    g.faint.addPath(strokeOf(rays, 0.06));
    return g;
}

Glyph chevronDown() {
    Glyph g;
    g.stroke.moveTo(0.16, 0.34);
    g.stroke.lineTo(0.5, 0.68);
    g.stroke.lineTo(0.84, 0.34);
    g.strokeScale = 1.45;
    return g;
}

Glyph snowflake() {
    Glyph g;
    const QPointF c(0.5, 0.5);
    for (const double a : {90.0, 30.0, 150.0}) {
        for (const double dir : {a, a + 180.0}) {
            g.stroke.moveTo(c);
            const QPointF end = polar(c, 0.44, dir);
            g.stroke.lineTo(end);
            const QPointF fork = polar(c, 0.27, dir);
            g.stroke.moveTo(polar(fork, 0.13, dir + 45));
            g.stroke.lineTo(fork);
            g.stroke.lineTo(polar(fork, 0.13, dir - 45));
        }
    }
    g.strokeScale = 0.9;
    return g;
}

Glyph questionmark() {
    Glyph g;
    g.stroke.moveTo(polar(QPointF(0.5, 0.31), 0.2, 160));
    g.stroke.arcTo(QRectF(0.3, 0.11, 0.4, 0.4), 160, -200);
    g.stroke.cubicTo(QPointF(0.62, 0.52), QPointF(0.5, 0.52), QPointF(0.5, 0.66));
    g.fill.addEllipse(QPointF(0.5, 0.86), 0.075, 0.075);
    g.strokeScale = 1.35;
    return g;
}

QPainterPath circle(QPointF centre, double radius) {
    QPainterPath p;
    p.addEllipse(centre, radius, radius);
    return p;
}

// A filled disc with a mark cut out of it, as the ".circle.fill" symbols are.
Glyph discWithout(const QPainterPath& markFill, const QPainterPath& markLine = {}, double lineWidth = 0.09) {
    Glyph g;
    QPainterPath mark = markFill;
    if (!markLine.isEmpty())
        mark = united(mark, strokeOf(markLine, lineWidth));
    g.fill = subtracted(circle(QPointF(0.5, 0.5), 0.46), mark);
    return g;
}

Glyph checkmarkCircleFill() {
    QPainterPath tick;
    tick.moveTo(0.29, 0.52);
    tick.lineTo(0.44, 0.66);
    tick.lineTo(0.71, 0.36);
    return discWithout({}, tick, 0.1);
}

Glyph plusCircleFill() {
    QPainterPath plus;
    plus.moveTo(0.5, 0.28);
    plus.lineTo(0.5, 0.72);
    plus.moveTo(0.28, 0.5);
    plus.lineTo(0.72, 0.5);
    return discWithout({}, plus, 0.1);
}

Glyph questionmarkCircleFill() {
    QPainterPath hook;
    hook.moveTo(polar(QPointF(0.5, 0.39), 0.12, 160));
    hook.arcTo(QRectF(0.38, 0.27, 0.24, 0.24), 160, -200);
    hook.cubicTo(QPointF(0.57, 0.53), QPointF(0.5, 0.53), QPointF(0.5, 0.61));
    return discWithout(circle(QPointF(0.5, 0.74), 0.055), hook, 0.09);
}

QPainterPath pinPath(double cx, double top, double radius, double tipY) {
    QPainterPath p;
    p.moveTo(cx, tipY);
    p.cubicTo(QPointF(cx - radius * 0.5, tipY - (tipY - top) * 0.35),
              QPointF(cx - radius, top + radius * 1.4), QPointF(cx - radius, top + radius));
    p.arcTo(QRectF(cx - radius, top, 2 * radius, 2 * radius), 180, -180);
    p.cubicTo(QPointF(cx + radius, top + radius * 1.4),
              QPointF(cx + radius * 0.5, tipY - (tipY - top) * 0.35), QPointF(cx, tipY));
    p.closeSubpath();
    return p;
}

Glyph mappinCircleFill() {
    const QPainterPath pin = subtracted(pinPath(0.5, 0.2, 0.16, 0.8), circle(QPointF(0.5, 0.36), 0.06));
    return discWithout(pin);
}

QPainterPath arrowPath() {
    // The navigation arrow, pointing up and to the right.
    QPainterPath p;
    p.moveTo(0.88, 0.12);
    p.lineTo(0.50, 0.90);
    p.lineTo(0.44, 0.56);
    p.lineTo(0.10, 0.50);
    p.closeSubpath();
    return p;
}

Glyph locationFill() {
    Glyph g;
    g.fill = arrowPath();
    return g;
}

Glyph locationOutline() {
    Glyph g;
    g.stroke = arrowPath();
    g.strokeScale = 0.9;
    return g;
}

Glyph exclamationTriangleFill() {
    QPainterPath triangle;
    triangle.moveTo(0.5, 0.08);
    triangle.lineTo(0.95, 0.88);
    triangle.lineTo(0.05, 0.88);
    triangle.closeSubpath();
    QPainterPath rounded = united(triangle, strokeOf(triangle, 0.08));
    QPainterPath bar;
    bar.moveTo(0.5, 0.36);
    bar.lineTo(0.5, 0.62);
    Glyph g;
    g.fill = subtracted(rounded, united(strokeOf(bar, 0.1), circle(QPointF(0.5, 0.76), 0.055)));
    return g;
}

Glyph keySlashFill() {
    Glyph g;
    QPainterPath key = circle(QPointF(0.33, 0.36), 0.2);
    QPainterPath shaft;
    shaft.moveTo(0.42, 0.45);
    shaft.lineTo(0.84, 0.87);
    shaft.moveTo(0.66, 0.69);
    shaft.lineTo(0.74, 0.61);
    shaft.moveTo(0.76, 0.79);
    shaft.lineTo(0.84, 0.71);
    key = united(subtracted(key, circle(QPointF(0.29, 0.32), 0.07)), strokeOf(shaft, 0.1));
    QPainterPath slash;
    slash.moveTo(0.1, 0.9);
    slash.lineTo(0.9, 0.1);
    // A gap on both sides of the slash keeps it readable over the key.
    g.fill = united(subtracted(key, strokeOf(slash, 0.2)), strokeOf(slash, 0.08));
    return g;
}

Glyph trash() {
    Glyph g;
    g.stroke.moveTo(0.14, 0.24);
    g.stroke.lineTo(0.86, 0.24);
    g.stroke.moveTo(0.38, 0.24);
    g.stroke.lineTo(0.40, 0.10);
    g.stroke.lineTo(0.60, 0.10);
    g.stroke.lineTo(0.62, 0.24);
    g.stroke.moveTo(0.22, 0.24);
    g.stroke.lineTo(0.27, 0.90);
    g.stroke.lineTo(0.73, 0.90);
    g.stroke.lineTo(0.78, 0.24);
    for (const double x : {0.42, 0.58}) {
        g.stroke.moveTo(x, 0.38);
        g.stroke.lineTo(x, 0.76);
    }
    g.strokeScale = 0.8;
    return g;
}

Glyph circlingArrows() {
    Glyph g;
    const QRectF ring(0.14, 0.14, 0.72, 0.72);
    const QPointF centre(0.5, 0.5);
    for (const double start : {20.0, 200.0}) {
        g.stroke.arcMoveTo(ring, start);
        g.stroke.arcTo(ring, start, 140);
        // The head at the arc's end points along the turn.
        const double end = start + 140;
        const QPointF tip = polar(centre, 0.36, end);
        g.stroke.moveTo(polar(tip, 0.15, end - 60));
        g.stroke.lineTo(tip);
        g.stroke.lineTo(polar(tip, 0.15, end - 160));
    }
    g.strokeScale = 0.85;
    return g;
}

Glyph infoCircle() {
    Glyph g;
    g.stroke = circle(QPointF(0.5, 0.5), 0.42);
    g.stroke.moveTo(0.5, 0.45);
    g.stroke.lineTo(0.5, 0.72);
    g.fill = circle(QPointF(0.5, 0.31), 0.055);
    g.strokeScale = 0.8;
    return g;
}

Glyph compass() {
    Glyph g;
    g.stroke = circle(QPointF(0.5, 0.5), 0.42);
    QPainterPath needle;
    needle.moveTo(0.70, 0.30);
    needle.lineTo(0.56, 0.56);
    needle.lineTo(0.30, 0.70);
    needle.lineTo(0.44, 0.44);
    needle.closeSubpath();
    g.fill = needle;
    g.strokeScale = 0.8;
    return g;
}

Glyph lockDocument() {
    Glyph g;
    g.stroke.moveTo(0.62, 0.08);
    g.stroke.lineTo(0.22, 0.08);
    g.stroke.lineTo(0.22, 0.92);
    g.stroke.lineTo(0.78, 0.92);
    g.stroke.lineTo(0.78, 0.24);
    g.stroke.lineTo(0.62, 0.08);
    g.stroke.lineTo(0.62, 0.24);
    g.stroke.lineTo(0.78, 0.24);
    g.stroke.moveTo(0.42, 0.56);
    g.stroke.lineTo(0.42, 0.48);
    g.stroke.arcTo(QRectF(0.42, 0.40, 0.16, 0.16), 180, -180);
    g.stroke.lineTo(0.58, 0.56);
    QPainterPath body;
    body.addRoundedRect(QRectF(0.36, 0.56, 0.28, 0.22), 0.04, 0.04);
    g.fill = body;
    g.strokeScale = 0.7;
    return g;
}

Glyph menubarRectangle() {
    Glyph g;
    QPainterPath frame;
    frame.addRoundedRect(QRectF(0.08, 0.18, 0.84, 0.64), 0.1, 0.1);
    g.stroke = frame;
    QPainterPath bar;
    bar.addRect(QRectF(0.08, 0.18, 0.84, 0.16));
    g.fill = scaled(scaled(bar, 1000).intersected(scaled(frame, 1000)), 0.001);
    g.strokeScale = 0.75;
    return g;
}

Glyph cloudSun() {
    Glyph g;
    const QPointF sun(0.36, 0.36);
    QPainterPath rays;
    for (int i = 0; i < 8; ++i) {
        if (i == 6 || i == 7)
            continue; // hidden behind the cloud
        rays.moveTo(polar(sun, 0.19, i * 45.0));
        rays.lineTo(polar(sun, 0.26, i * 45.0));
    }
    QPainterPath cloud;
    cloud.moveTo(0.30, 0.86);
    cloud.arcTo(QRectF(0.16, 0.58, 0.28, 0.28), 270, -180);
    cloud.arcTo(QRectF(0.34, 0.40, 0.38, 0.38), 160, -140);
    cloud.arcTo(QRectF(0.66, 0.62, 0.24, 0.24), 90, -180);
    cloud.closeSubpath();
    g.faint =
        subtracted(united(circle(sun, 0.12), strokeOf(rays, 0.06)), united(cloud, strokeOf(cloud, 0.12)));
    g.stroke = cloud;
    g.strokeScale = 0.8;
    return g;
}

using GlyphFactory = std::function<Glyph()>;

const QList<std::pair<QString, GlyphFactory>>& glyphTable() {
    static const QList<std::pair<QString, GlyphFactory>> table = {
        {QStringLiteral("drop.fill"),
         [] {
             Glyph g;
             g.fill = dropPath(QPointF(0.5, 0.05), 0.32, 0.64);
             return g;
         }},
        {QStringLiteral("wind"), wind},
        {QStringLiteral("humidity.fill"), humidity},
        {QStringLiteral("sunrise.fill"), [] { return sunEvent(true); }},
        {QStringLiteral("sunset.fill"), [] { return sunEvent(false); }},
        {QStringLiteral("thermometer.medium"), thermometerMedium},
        {QStringLiteral("thermometer.sun"), thermometerSun},
        {QStringLiteral("chevron.down"), chevronDown},
        {QStringLiteral("snowflake"), snowflake},
        {QStringLiteral("questionmark"), questionmark},
        {QStringLiteral("menubar.rectangle"), menubarRectangle},
        {QStringLiteral("location"), locationOutline},
        {QStringLiteral("location.fill"), locationFill},
        {QStringLiteral("cloud.sun"), cloudSun},
        {QStringLiteral("info.circle"), infoCircle},
        {QStringLiteral("checkmark.circle.fill"), checkmarkCircleFill},
        {QStringLiteral("exclamationmark.triangle.fill"), exclamationTriangleFill},
        {QStringLiteral("questionmark.circle.fill"), questionmarkCircleFill},
        {QStringLiteral("key.slash.fill"), keySlashFill},
        {QStringLiteral("plus.circle.fill"), plusCircleFill},
        {QStringLiteral("mappin.circle.fill"), mappinCircleFill},
        {QStringLiteral("trash"), trash},
        {QStringLiteral("arrow.triangle.2.circlepath"), circlingArrows},
        {QStringLiteral("safari"), compass},
        {QStringLiteral("lock.doc"), lockDocument},
    };
    return table;
}

// Each name's position in the table.
const QHash<QString, qsizetype>& glyphIndex() {
    static const QHash<QString, qsizetype> index = [] {
        QHash<QString, qsizetype> out;
        for (qsizetype i = 0; i < glyphTable().size(); ++i)
            out.insert(glyphTable()[i].first, i);
        return out;
    }();
    return index;
}

// A glyph is built the first time it is drawn: some cost milliseconds of path booleans, and a window shows
// only a few of them. The lock keeps the table as safe to reach from two threads as a build-all-at-once was;
// it is not held while a glyph is built, so a thread drawing one never waits for another building a glyph
// ahead of time (should both build the same one, the first kept wins).
const Glyph* glyph(const QString& name) {
    static std::mutex guard;
    static std::vector<std::optional<Glyph>> glyphs(std::size_t(glyphTable().size()));
    const auto it = glyphIndex().constFind(name);
    if (it == glyphIndex().constEnd())
        return nullptr;
    std::optional<Glyph>& entry = glyphs[std::size_t(*it)];
    {
        const std::lock_guard lock(guard);
        if (entry)
            return &*entry;
    }
    Glyph built = glyphTable()[*it].second();
    const std::lock_guard lock(guard);
    if (!entry)
        entry = std::move(built);
    return &*entry;
}

} // namespace

const QStringList& SymbolImage::names() {
    static const QStringList list = [] {
        QStringList out;
        for (const auto& entry : glyphTable())
            out.append(entry.first);
        return out;
    }();
    return list;
}

bool SymbolImage::isKnown(const QString& name) {
    return glyphIndex().contains(name);
}

void SymbolImage::prepare(const QString& name) {
    (void)glyph(name);
}

void SymbolImage::prepareAllInBackground() {
    QThreadPool::globalInstance()->start([] {
        for (const QString& name : names())
            prepare(name);
    });
}

bool SymbolImage::draw(QPainter& painter, const QString& name, const QRectF& box, const QColor& tint,
                       FontWeight weight) {
    const Glyph* g = glyph(name);
    if (!g || box.isEmpty())
        return false;
    const double edge = qMin(box.width(), box.height());
    const QPointF origin(box.center().x() - edge / 2, box.center().y() - edge / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    painter.scale(edge, edge);
    if (!g->faint.isEmpty()) {
        QColor faint = tint;
        faint.setAlphaF(tint.alphaF() * 0.55f);
        painter.fillPath(g->faint, faint);
    }
    if (!g->fill.isEmpty())
        painter.fillPath(g->fill, tint);
    if (!g->stroke.isEmpty()) {
        QPen pen(tint, strokeWidth(weight) * g->strokeScale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(g->stroke, pen);
    }
    painter.restore();
    return true;
}

QImage SymbolImage::image(const QString& name, int edge, const QColor& tint, FontWeight weight,
                          qreal devicePixelRatio) {
    if (!isKnown(name) || edge <= 0)
        return {};
    const int pixels = qCeil(edge * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter, name, QRectF(0, 0, edge, edge), tint, weight);
    return image;
}

} // namespace nimbra
