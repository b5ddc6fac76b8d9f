#include "WrapLabel.h"

#include "ViewTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace nimbra {

namespace {

QTextOption wrapOption(Qt::Alignment alignment) {
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

} // namespace

WrapLabel::WrapLabel(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

WrapLabel::WrapLabel(const QString& text, const TextToken& style, QWidget* parent) : WrapLabel(parent) {
    m_style = style;
    setText(text);
}

void WrapLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    forgetFit();
    setAccessibleName(text);
    updateGeometry();
    update();
}

void WrapLabel::setStyle(const TextToken& style) {
    m_style = style;
    forgetFit();
    updateGeometry();
    update();
}

void WrapLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    forgetFit();
    update();
}

void WrapLabel::setMaximumLineCount(int lines, double minimumScaleFactor) {
    m_maximumLines = qMax(0, lines);
    m_minimumScale = qBound(0.01, minimumScaleFactor, 1.0);
    forgetFit();
    updateGeometry();
    update();
}

int WrapLabel::lines(QTextLayout& layout, qreal width) const {
    layout.beginLayout();
    int count = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++count;
    }
    layout.endLayout();
    return count;
}

void WrapLabel::forgetFit() {
    m_fits = {};
    m_naturalWidth.reset();
}

WrapLabel::Fit WrapLabel::fit(int width) const {
    for (const auto& kept : m_fits) {
        if (kept && kept->first == width)
            return kept->second;
    }
    // The oldest goes.
    auto& slot = m_fits[m_nextFit];
    m_nextFit = (m_nextFit + 1) % m_fits.size();
    slot = std::pair(width, layOut(width));
    return slot->second;
}

WrapLabel::Fit WrapLabel::layOut(int width) const {
    const QFont font = theme::font(m_style.font);
    const QFontMetricsF metrics(font);
    Fit result;
    if (m_text.isEmpty()) {
        result.height = metrics.height();
        return result;
    }
    QTextLayout layout(m_text, font);
    layout.setTextOption(wrapOption(m_alignment));
    // Shrinking the text is the same as laying it out in a proportionally wider box.
    for (double scale = 1.0;; scale -= 0.02) {
        scale = qMax(scale, m_minimumScale);
        const int count = lines(layout, qMax(1.0, width / scale));
        result = {scale, count, count * metrics.height() * scale, false};
        if (m_maximumLines == 0 || count <= m_maximumLines)
            return result;
        if (scale <= m_minimumScale) {
            result.lines = m_maximumLines;
            result.height = m_maximumLines * metrics.height() * scale;
            result.truncated = true;
            return result;
        }
    }
}

void WrapLabel::setOpacity(double opacity) {
    m_opacity = qBound(0.0, opacity, 1.0);
    update();
}

bool WrapLabel::isTruncated() const {
    const Fit f = fit(width());
    return f.truncated || std::ceil(f.height) > height() + 0.5;
}

int WrapLabel::heightForWidth(int width) const {
    return int(std::ceil(fit(width).height));
}

QSize WrapLabel::sizeHint() const {
    if (!m_naturalWidth)
        m_naturalWidth = int(std::ceil(QFontMetricsF(theme::font(m_style.font)).horizontalAdvance(m_text)));
    const int w = qMin(*m_naturalWidth, 260);
    return {w, heightForWidth(qMax(w, 1))};
}

QSize WrapLabel::minimumSizeHint() const {
    const QFontMetricsF metrics(theme::font(m_style.font));
    return {0, int(std::ceil(metrics.height()))};
}

void WrapLabel::paintEvent(QPaintEvent*) {
    if (m_text.isEmpty())
        return;
    const Fit f = fit(width());
    const QFont font = theme::font(m_style.font);
    QTextLayout layout(m_text, font);
    layout.setTextOption(wrapOption(m_alignment));
    const qreal boxWidth = width() / f.scale;
    layout.beginLayout();
    qreal y = 0;
    QList<QTextLine> laid;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(boxWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
        laid.append(line);
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    painter.scale(f.scale, f.scale);
    painter.setPen(theme::color(m_style.color, palette()));
    painter.setFont(font);
    const int shown = m_maximumLines > 0 ? qMin(m_maximumLines, int(laid.size())) : int(laid.size());
    for (int i = 0; i < shown; ++i) {
        const QTextLine& line = laid.at(i);
        if (f.truncated && i == shown - 1) {
            // The last allowed line carries the rest of the text, cut with an ellipsis.
            const QString rest = m_text.mid(line.textStart());
            const QFontMetricsF metrics(font);
            const QString elided = metrics.elidedText(rest, Qt::ElideRight, boxWidth);
            const qreal w = metrics.horizontalAdvance(elided);
            qreal x = 0;
            if (m_alignment & Qt::AlignHCenter)
                x = (boxWidth - w) / 2;
            else if (m_alignment & Qt::AlignRight)
                x = boxWidth - w;
            painter.drawText(QPointF(x, line.y() + line.ascent()), elided);
        } else {
            line.draw(&painter, QPointF(0, 0));
        }
    }
}

} // namespace nimbra
