#include "MacLocationRowView.h"

#include "SettingsForm.h"
#include "SymbolImage.h"
#include "ViewTheme.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace nimbra {

namespace {

constexpr int kSymbolFrame = 18;
constexpr int kSpacing = 8;
constexpr int kLineGap = 2;

struct Lines {
    QString title;
    QString subtitle;
    QString detail;
};

double lineHeight(const TextToken& style) {
    return QFontMetricsF(theme::font(style.font)).height();
}

// The detail wraps onto two lines at most; true when it needs more.
bool detailOverflows(const QString& text, double width) {
    QTextLayout layout(text, theme::font(settingsstyle::caption2.font));
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines > 2;
}

} // namespace

MacLocationRowView::MacLocationRowView(QWidget* parent) : QAbstractButton(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void MacLocationRowView::setRow(const MacLocationRow& row) {
    if (row == m_row)
        return;
    m_row = row;
    setAccessibleName(row.title);
    updateGeometry();
    update();
}

QSize MacLocationRowView::sizeHint() const {
    double h = lineHeight(settingsstyle::row);
    if (m_row.showsSubtitle())
        h += kLineGap + lineHeight(settingsstyle::caption);
    if (m_row.showsDetail())
        h += kLineGap + 2 * lineHeight(settingsstyle::caption2);
    const QFontMetricsF title(theme::font(settingsstyle::row.font));
    return {int(std::ceil(kSymbolFrame + kSpacing + title.horizontalAdvance(m_row.title))),
            int(std::ceil(h))};
}

QSize MacLocationRowView::minimumSizeHint() const {
    return {kSymbolFrame + kSpacing + 40, sizeHint().height()};
}

bool MacLocationRowView::isTruncated() const {
    const double textWidth = width() - kSymbolFrame - kSpacing;
    const auto tooWide = [&](const QString& text, const TextToken& style) {
        return QFontMetricsF(theme::font(style.font)).horizontalAdvance(text) > textWidth + 0.5;
    };
    return tooWide(m_row.title, settingsstyle::row) ||
           (m_row.showsSubtitle() && tooWide(m_row.subtitle, settingsstyle::caption)) ||
           (m_row.showsDetail() && detailOverflows(*m_row.detail, textWidth));
}

void MacLocationRowView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double glyph = 14;
    SymbolImage::draw(painter, m_row.shownSymbol(),
                      QRectF((kSymbolFrame - glyph) / 2, (height() - glyph) / 2, glyph, glyph),
                      theme::color(m_row.symbolTint(), palette()));
    const double x = kSymbolFrame + kSpacing;
    const double textWidth = width() - x;
    double y = 0;
    const auto drawLine = [&](const QString& text, const TextToken& style, const ColorToken& color) {
        const QFont font = theme::font(style.font);
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(theme::color(color, palette()));
        painter.drawText(QRectF(x, y, textWidth, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(text, Qt::ElideRight, textWidth));
        y += metrics.height() + kLineGap;
    };
    drawLine(m_row.title, settingsstyle::row, ColorToken::of(Tint::primary));
    if (m_row.showsSubtitle())
        drawLine(m_row.subtitle, settingsstyle::caption, ColorToken::of(Tint::secondary));
    if (m_row.showsDetail()) {
        const QFont font = theme::font(settingsstyle::caption2.font);
        painter.setFont(font);
        painter.setPen(theme::color(m_row.detailTint(), palette()));
        QTextLayout layout(*m_row.detail, font);
        layout.beginLayout();
        const double height = QFontMetricsF(font).height();
        for (int n = 0; n < 2; ++n) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(textWidth);
            line.setPosition(QPointF(0, n * height));
        }
        layout.endLayout();
        layout.draw(&painter, QPointF(x, y));
    }
    if (hasFocus()) {
        painter.setPen(QPen(theme::color(Tint::blue, palette(), 0.6), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
}

} // namespace nimbra
