#pragma once

#include "ViewTokens.h"
#include "WeatherCondition.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace nimbra {

// The picture of a weather condition as an ordered list of shapes (back to front), in logical pixels relative
// to the top-left corner of the icon's square. Pure data, so its geometry is tested without pixels; the
// painter in WeatherConditionIcon.h only walks the list.

enum class ArtworkPiece {
    sunDisc,
    sunRing,
    cloudBase,
    cloudLeftPuff,
    cloudRightPuff,
    drop,
    bolt,
    snowflake,
    fogBar,
    windStreak,
    unknownDisc,
    questionmark,
};

enum class ArtworkShape { ellipse, ring, capsule, polygon, symbol };

struct ArtworkPaint {
    enum class Kind {
        solid,    // from
        vertical, // from at the top of the frame to `to` at its bottom
        across,   // from at the leading edge to `to` at the trailing edge
        radial,   // from at startRadius to `to` at endRadius, about the frame's centre
    };
    Kind kind = Kind::solid;
    ColorToken from;
    ColorToken to;
    double startRadius = 0;
    double endRadius = 0;
    bool operator==(const ArtworkPaint&) const = default;
};

struct ArtworkElement {
    ArtworkPiece piece = ArtworkPiece::sunDisc;
    ArtworkShape shape = ArtworkShape::ellipse;
    // Where layout puts the element; offset then moves the drawing only.
    QRectF frame;
    QPointF offset;
    double rotationDegrees = 0; // clockwise on screen, about the frame's centre
    ArtworkPaint paint;
    double lineWidth = 0;   // ring
    QList<QPointF> polygon; // vertices in the icon's coordinates before the offset
    QString symbol;         // symbol name; its point size is the frame's height
    bool castsCloudShadow = false;

    bool operator==(const ArtworkElement&) const = default;
};

// The soft shadow under the whole cloud: one silhouette of every element that casts it.
struct ArtworkShadow {
    ColorToken color;
    double radius = 0;
    QPointF offset;
    bool operator==(const ArtworkShadow&) const = default;
};

struct ConditionArtwork {
    double size = 0;
    QList<ArtworkElement> elements;
    std::optional<ArtworkShadow> cloudShadow;

    QList<ArtworkElement> elementsOf(ArtworkPiece piece) const;
    bool operator==(const ConditionArtwork&) const = default;
};

ConditionArtwork conditionArtwork(WeatherCondition condition, double size);

// The thunderstorm bolt is drawn this far (in fractions of the icon's edge) from where its vertices put it,
// so its lowest point lies 0.27 of the edge below the icon's square.
inline constexpr double boltOffsetX = 0.04;
inline constexpr double boltOffsetY = 0.27;

} // namespace nimbra
