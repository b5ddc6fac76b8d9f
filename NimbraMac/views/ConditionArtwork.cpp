#include "ConditionArtwork.h"

#include <QSizeF>

namespace nimbra {

namespace {

// Builds elements of one icon, all measures in fractions of its edge.
class ArtworkBuilder {
public:
    explicit ArtworkBuilder(double size) : m_size(size) { m_artwork.size = size; }

    ConditionArtwork take() { return std::move(m_artwork); }

    // A frame of w x h fractions centred in the square.
    QRectF centred(double w, double h) const {
        return {(1 - w) / 2 * m_size, (1 - h) / 2 * m_size, w * m_size, h * m_size};
    }
    QPointF at(double dx, double dy) const { return {dx * m_size, dy * m_size}; }

    void sun(QPointF offset = {}) {
        ArtworkElement disc;
        disc.piece = ArtworkPiece::sunDisc;
        disc.shape = ArtworkShape::ellipse;
        disc.frame = centred(0.70, 0.70);
        disc.offset = offset;
        // The gradient starts one pixel out at every size, so the centre is always a touch of pure yellow.
        disc.paint = {ArtworkPaint::Kind::radial, ColorToken::of(Tint::yellow), ColorToken::of(Tint::orange),
                      1.0, 0.42 * m_size};
        add(disc);

        ArtworkElement ring;
        ring.piece = ArtworkPiece::sunRing;
        ring.shape = ArtworkShape::ring;
        ring.frame = centred(0.48, 0.48);
        ring.offset = offset;
        ring.paint.from = ColorToken::of(Tint::white, 0.55);
        ring.lineWidth = qMax(0.03 * m_size, 1.0);
        add(ring);
    }

    void cloud() {
        struct Layer {
            ArtworkPiece piece;
            ArtworkShape shape;
            double w, h, dx, dy;
            ColorToken bottom;
        };
        const Layer layers[] = {
            {ArtworkPiece::cloudBase, ArtworkShape::capsule, 0.82, 0.38, 0, 0.12,
             ColorToken::srgb(0.72, 0.84, 0.95)},
            {ArtworkPiece::cloudLeftPuff, ArtworkShape::ellipse, 0.42, 0.42, -0.18, -0.02,
             ColorToken::srgb(0.78, 0.88, 0.97)},
            {ArtworkPiece::cloudRightPuff, ArtworkShape::ellipse, 0.52, 0.52, 0.12, -0.07,
             ColorToken::srgb(0.70, 0.83, 0.95)},
        };
        for (const Layer& layer : layers) {
            ArtworkElement e;
            e.piece = layer.piece;
            e.shape = layer.shape;
            e.frame = centred(layer.w, layer.h);
            e.offset = at(layer.dx, layer.dy);
            e.paint = {ArtworkPaint::Kind::vertical, ColorToken::of(Tint::white), layer.bottom, 0, 0};
            e.castsCloudShadow = true;
            add(e);
        }
        m_artwork.cloudShadow = ArtworkShadow{ColorToken::of(Tint::black, 0.10), 0.04 * m_size, at(0, 0.02)};
    }

    // Lays out items of the given frame sizes side by side (or one above the other), centred as a whole, then
    // moves the whole row by offset. Returns each item's frame.
    QList<QRectF> stack(const QList<QSizeF>& items, double spacing, bool horizontal) const {
        double length = 0;
        for (const QSizeF& s : items)
            length += (horizontal ? s.width() : s.height()) * m_size;
        length += spacing * m_size * qMax<qsizetype>(items.size() - 1, 0);
        double position = (m_size - length) / 2;
        QList<QRectF> frames;
        for (const QSizeF& s : items) {
            const double w = s.width() * m_size;
            const double h = s.height() * m_size;
            if (horizontal) {
                frames.append({position, (m_size - h) / 2, w, h});
                position += w + spacing * m_size;
            } else {
                frames.append({(m_size - w) / 2, position, w, h});
                position += h + spacing * m_size;
            }
        }
        return frames;
    }

    void drops(int count) {
        const QList<QRectF> frames = stack(QList<QSizeF>(count, QSizeF(0.07, 0.22)), 0.09, true);
        for (int i = 0; i < count; ++i) {
            ArtworkElement e;
            e.piece = ArtworkPiece::drop;
            e.shape = ArtworkShape::capsule;
            e.frame = frames[i];
            e.offset = at(0, 0.25 + (i % 2 == 1 ? 0.04 : 0));
            e.rotationDegrees = 12;
            e.paint = {ArtworkPaint::Kind::vertical, ColorToken::of(Tint::cyan), ColorToken::of(Tint::blue),
                       0, 0};
            add(e);
        }
    }

    void bolt() {
        static const QPointF vertices[] = {{0.50, 0.48}, {0.36, 0.77}, {0.52, 0.74},
                                           {0.42, 1.00}, {0.67, 0.64}, {0.51, 0.67}};
        ArtworkElement e;
        e.piece = ArtworkPiece::bolt;
        e.shape = ArtworkShape::polygon;
        e.frame = centred(1, 1);
        for (const QPointF& v : vertices)
            e.polygon.append(at(v.x(), v.y()));
        e.offset = at(boltOffsetX, boltOffsetY);
        e.paint = {ArtworkPaint::Kind::vertical, ColorToken::of(Tint::yellow), ColorToken::of(Tint::orange),
                   0, 0};
        add(e);
    }

    void snowflakes() {
        const QList<QRectF> frames = stack(QList<QSizeF>(3, QSizeF(0.16, 0.16)), 0.10, true);
        for (int i = 0; i < 3; ++i) {
            ArtworkElement e;
            e.piece = ArtworkPiece::snowflake;
            e.shape = ArtworkShape::symbol;
            e.symbol = QStringLiteral("snowflake");
            e.frame = frames[i];
            e.offset = at(0, 0.28);
            e.paint.from = i == 1 ? ColorToken::of(Tint::cyan) : ColorToken::of(Tint::blue, 0.8);
            add(e);
        }
    }

    void fogBars() {
        const QList<QSizeF> sizes = {{0.58, 0.045}, {0.72, 0.045}, {0.58, 0.045}};
        const QList<QRectF> frames = stack(sizes, 0.07, false);
        for (const QRectF& frame : frames) {
            ArtworkElement e;
            e.piece = ArtworkPiece::fogBar;
            e.shape = ArtworkShape::capsule;
            e.frame = frame;
            e.offset = at(0, 0.24);
            e.paint.from = ColorToken::of(Tint::gray, 0.55);
            add(e);
        }
    }

    void windStreaks() {
        const QList<QSizeF> sizes = {{0.78, 0.09}, {0.62, 0.09}, {0.72, 0.09}};
        for (const QRectF& frame : stack(sizes, 0.10, false)) {
            ArtworkElement e;
            e.piece = ArtworkPiece::windStreak;
            e.shape = ArtworkShape::capsule;
            e.frame = frame;
            e.paint = {ArtworkPaint::Kind::across, ColorToken::of(Tint::cyan), ColorToken::of(Tint::teal), 0,
                       0};
            add(e);
        }
    }

    void unknown() {
        ArtworkElement disc;
        disc.piece = ArtworkPiece::unknownDisc;
        disc.shape = ArtworkShape::ellipse;
        disc.frame = centred(1, 1);
        disc.paint.from = ColorToken::of(Tint::gray, 0.18);
        add(disc);

        ArtworkElement mark;
        mark.piece = ArtworkPiece::questionmark;
        mark.shape = ArtworkShape::symbol;
        mark.symbol = QStringLiteral("questionmark");
        mark.frame = centred(0.36, 0.36);
        mark.paint.from = ColorToken::of(Tint::secondary);
        add(mark);
    }

private:
    void add(const ArtworkElement& e) { m_artwork.elements.append(e); }

    double m_size;
    ConditionArtwork m_artwork;
};

} // namespace

QList<ArtworkElement> ConditionArtwork::elementsOf(ArtworkPiece piece) const {
    QList<ArtworkElement> out;
    for (const ArtworkElement& e : elements) {
        if (e.piece == piece)
            out.append(e);
    }
    return out;
}

ConditionArtwork conditionArtwork(WeatherCondition condition, double size) {
    ArtworkBuilder b(size);
    switch (condition) {
    case WeatherCondition::clear:
    case WeatherCondition::mostlyClear:
        b.sun();
        break;
    case WeatherCondition::partlyCloudy:
        b.sun(b.at(-0.13, -0.12));
        b.cloud();
        break;
    case WeatherCondition::cloudy:
        b.cloud();
        break;
    case WeatherCondition::fog:
        b.cloud();
        b.fogBars();
        break;
    case WeatherCondition::drizzle:
        b.cloud();
        b.drops(2);
        break;
    case WeatherCondition::rain:
        b.cloud();
        b.drops(3);
        break;
    case WeatherCondition::heavyRain:
        b.cloud();
        b.drops(4);
        break;
    case WeatherCondition::thunderstorm:
        b.cloud();
        b.bolt();
        break;
    case WeatherCondition::snow:
    case WeatherCondition::sleet:
        b.cloud();
        b.snowflakes();
        break;
    case WeatherCondition::windy:
        b.windStreaks();
        break;
    case WeatherCondition::unknown:
        b.unknown();
        break;
    }
    return b.take();
}

} // namespace nimbra
