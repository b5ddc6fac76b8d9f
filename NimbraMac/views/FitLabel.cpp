#include "FitLabel.h"

#include "TextDrawing.h"
#include "ViewTheme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace nimbra {

FitLabel::FitLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

FitLabel::FitLabel(const QString& text, const TextToken& style, double minimumScaleFactor, QWidget* parent)
    : FitLabel(parent) {
    m_style = style;
    m_minimumScale = qBound(0.01, minimumScaleFactor, 1.0);
    setText(text);
}

void FitLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    m_naturalWidth.reset();
    setAccessibleName(text);
    updateGeometry();
    update();
}

void FitLabel::setStyle(const TextToken& style) {
    m_style = style;
    m_naturalWidth.reset();
    m_fontExtent.reset();
    updateGeometry();
    update();
}

void FitLabel::setMinimumScaleFactor(double factor) {
    m_minimumScale = qBound(0.01, factor, 1.0);
    updateGeometry();
    update();
}

void FitLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void FitLabel::setBaselinePartner(FitLabel* partner) {
    m_baselinePartner = partner;
    updateGeometry();
    update();
}

const FitLabel::FontExtent& FitLabel::fontExtent() const {
    if (!m_fontExtent) {
        const QFontMetricsF metrics(theme::font(m_style.font));
        m_fontExtent = FontExtent{metrics.ascent(), metrics.descent()};
    }
    return *m_fontExtent;
}

int FitLabel::lineHeight() const {
    return int(std::ceil(fontExtent().ascent + fontExtent().descent));
}

int FitLabel::descent() const {
    return qRound(lineHeight() - fontExtent().ascent);
}

int FitLabel::baselineLift() const {
    return m_baselinePartner ? qMax(0, m_baselinePartner->descent() - descent()) : 0;
}

qreal FitLabel::naturalWidth() const {
    if (!m_naturalWidth)
        m_naturalWidth =
            textdrawing::advance(theme::font(m_style.font), m_text, m_style.font.monospacedDigits);
    return *m_naturalWidth;
}

double FitLabel::currentScale() const {
    const qreal natural = naturalWidth();
    if (natural <= width() || natural <= 0)
        return 1.0;
    return qMax(m_minimumScale, double(width()) / natural);
}

bool FitLabel::isTruncated() const {
    return naturalWidth() * currentScale() > width() + 0.5;
}

QSize FitLabel::sizeHint() const {
    return {int(std::ceil(naturalWidth())), lineHeight() + baselineLift()};
}

QSize FitLabel::minimumSizeHint() const {
    const QSize full = sizeHint();
    return {int(std::ceil(naturalWidth() * m_minimumScale)), full.height()};
}

void FitLabel::paintEvent(QPaintEvent*) {
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = theme::font(m_style.font);
    const QFontMetricsF metrics(font);
    const double scale = currentScale();
    const qreal natural = naturalWidth();
    QString shown = m_text;
    qreal shownWidth = natural;
    if (natural * scale > width() + 0.5) {
        // Still too wide at the smallest scale: cut the end with an ellipsis.
        shown = metrics.elidedText(m_text, Qt::ElideRight, width() / scale);
        shownWidth = textdrawing::advance(font, shown, m_style.font.monospacedDigits);
    }
    const qreal drawnWidth = shownWidth * scale;
    qreal x = 0;
    if (m_alignment & Qt::AlignRight)
        x = width() - drawnWidth;
    else if (m_alignment & Qt::AlignHCenter)
        x = (width() - drawnWidth) / 2;
    const qreal lineHeight = (metrics.ascent() + metrics.descent()) * scale;
    qreal top = (height() - lineHeight) / 2;
    if (m_alignment & Qt::AlignTop || baselineLift() > 0)
        top = 0;
    else if (m_alignment & Qt::AlignBottom)
        top = height() - lineHeight;
    painter.translate(x, top);
    painter.scale(scale, scale);
    painter.setPen(theme::color(m_style.color, palette()));
    textdrawing::draw(painter, QPointF(0, metrics.ascent()), font, shown, m_style.font.monospacedDigits);
}

void FitLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace nimbra
