#pragma once

#include "StatusItemModel.h"

#include <QFont>
#include <QImage>

namespace nimbra {

// The tray icon: the condition drawn small in the upper left and the temperature in large digits over its
// lower part, white with a dark rim, so both read on light and dark panels down to 22 pixels.
namespace TrayIconPainter {

QImage image(const StatusItemModel& model, int edge, qreal devicePixelRatio = 1.0);

// The whole pixel size of the temperature in a square of `edge`: the largest from edge * 0.56 down to 7
// at which `text` in `font` fits the width, else 6.
int textPixelSize(QFont font, const QString& text, int edge);

} // namespace TrayIconPainter

} // namespace nimbra
