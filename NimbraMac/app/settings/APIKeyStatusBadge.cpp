#include "APIKeyStatusBadge.h"

#include "SettingsControls.h"
#include "SourcesSettingsModel.h"
#include "SymbolImage.h"
#include "ViewTheme.h"

#include <QPainter>

#include <cmath>

namespace nimbra {

namespace {
const FontToken kLabelFont = FontToken::system(11, FontWeight::semibold);
constexpr int kMark = 11;
constexpr int kSpacing = 5;
constexpr int kPadX = 8;
constexpr int kPadY = 4;
} // namespace

APIKeyStatusBadge::APIKeyStatusBadge(QWidget* parent)
    : QWidget(parent), m_spinner(new ActivityIndicator(qRound(14 * 0.72), this)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_spinner->hide();
    setStatus(m_status);
}

void APIKeyStatusBadge::setStatus(const APIKeyCheckStatus& status) {
    m_status = status;
    const bool checking = status.kind == APIKeyCheckStatus::Kind::checking;
    m_spinner->move(kPadX + (kMark - m_spinner->width()) / 2,
                    (sizeHint().height() - m_spinner->height()) / 2);
    m_spinner->setVisible(checking);
    setAccessibleName(status.title());
    updateGeometry();
    update();
}

QSize APIKeyStatusBadge::sizeHint() const {
    const QFontMetricsF metrics(theme::font(kLabelFont));
    const double text = metrics.horizontalAdvance(m_status.title());
    return {int(std::ceil(kPadX * 2 + kMark + kSpacing + text)),
            int(std::ceil(kPadY * 2 + qMax<double>(kMark, metrics.height())))};
}

void APIKeyStatusBadge::paintEvent(QPaintEvent*) {
    const auto look = sourcessettings::badgeLook(m_status);
    const QColor tint = theme::color(look.tint, palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::color(look.tint, palette(), 0.16));
    painter.drawRoundedRect(box, box.height() / 2, box.height() / 2);
    const QRectF mark(kPadX, (height() - kMark) / 2.0, kMark, kMark);
    if (!look.symbolName.isEmpty())
        SymbolImage::draw(painter, look.symbolName, mark, tint, FontWeight::semibold);
    painter.setPen(tint);
    painter.setFont(theme::font(kLabelFont));
    painter.drawText(QRectF(mark.right() + kSpacing, 0, width() - mark.right() - kSpacing, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, look.title);
}

} // namespace nimbra
