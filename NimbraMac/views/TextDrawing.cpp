#include "TextDrawing.h"

#include <QFontMetricsF>
#include <QPainter>

namespace nimbra::textdrawing {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qreal digitCell(const QFontMetricsF& metrics) {
    qreal widest = 0;
    for (char d = '0'; d <= '9'; ++d)
        widest = qMax(widest, metrics.horizontalAdvance(QLatin1Char(d)));
    return widest;
}

// Splits text into alternating runs of digits and of other characters and calls f(run, isDigits).
template <typename F> void forEachRun(const QString& text, F f) {
    qsizetype start = 0;
    while (start < text.size()) {
        const bool digits = isDigit(text.at(start));
        qsizetype end = start + 1;
        while (end < text.size() && isDigit(text.at(end)) == digits)
            ++end;
        f(text.mid(start, end - start), digits);
        start = end;
    }
}

} // namespace

qreal advance(const QFont& font, const QString& text, bool monospacedDigits) {
    const QFontMetricsF metrics(font);
    if (!monospacedDigits)
        return metrics.horizontalAdvance(text);
    const qreal cell = digitCell(metrics);
    qreal width = 0;
    forEachRun(text, [&](const QString& run, bool digits) {
        width += digits ? cell * run.size() : metrics.horizontalAdvance(run);
    });
    return width;
}

void draw(QPainter& painter, const QPointF& origin, const QFont& font, const QString& text,
          bool monospacedDigits) {
    painter.setFont(font);
    if (!monospacedDigits) {
        painter.drawText(origin, text);
        return;
    }
    const QFontMetricsF metrics(font);
    const qreal cell = digitCell(metrics);
    qreal x = origin.x();
    forEachRun(text, [&](const QString& run, bool digits) {
        if (!digits) {
            painter.drawText(QPointF(x, origin.y()), run);
            x += metrics.horizontalAdvance(run);
            return;
        }
        for (const QChar d : run) {
            const qreal w = metrics.horizontalAdvance(d);
            painter.drawText(QPointF(x + (cell - w) / 2, origin.y()), QString(d));
            x += cell;
        }
    });
}

} // namespace nimbra::textdrawing
