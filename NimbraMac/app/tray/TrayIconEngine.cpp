#include "TrayIconEngine.h"

#include "AppLog.h"
#include "TrayIconPainter.h"

#include <QPainter>

namespace nimbra {
namespace {

// Larger requests get the largest picture (QIcon may answer smaller than asked), so an odd caller cannot
// make us paint a huge image.
constexpr int largestEdge = 256;
constexpr qreal largestRatio = 4;
// A panel that keeps changing its size must not fill memory with pictures of one reading.
constexpr std::size_t keptPictures = 12;

int squareEdge(const QSize& size) {
    return qBound(0, qMin(size.width(), size.height()), largestEdge);
}

} // namespace

TrayIconEngine::TrayIconEngine(StatusItemModel model)
    : m_model(std::move(model)), m_pictures(std::make_shared<Pictures>()) {}

QList<QSize> TrayIconEngine::offeredSizes() {
    return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
}

void TrayIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) {
    const int edge = squareEdge(rect.size());
    if (edge == 0)
        return;
    const QRect square(rect.x() + (rect.width() - edge) / 2, rect.y() + (rect.height() - edge) / 2, edge,
                       edge);
    painter->drawPixmap(square, picture(edge, painter->device()->devicePixelRatio()));
}

QSize TrayIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    const int edge = squareEdge(size);
    return QSize(edge, edge);
}

QPixmap TrayIconEngine::pixmap(const QSize& size, QIcon::Mode, QIcon::State) {
    return picture(squareEdge(size), 1.0);
}

QPixmap TrayIconEngine::scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) {
    // Before Qt 6.8 QIcon::pixmap passes the size in device pixels, since then in device-independent ones.
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    const int edge = scale > 0 ? qRound(qMin(size.width(), size.height()) / scale) : 0;
#else
    const int edge = qMin(size.width(), size.height());
#endif
    return picture(edge, scale);
}

QList<QSize> TrayIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    return offeredSizes();
}

QIconEngine* TrayIconEngine::clone() const {
    return new TrayIconEngine(*this);
}

QPixmap TrayIconEngine::picture(int edge, qreal devicePixelRatio) {
    if (edge <= 0 || !(devicePixelRatio > 0))
        return {};
    edge = qMin(edge, largestEdge);
    devicePixelRatio = qMin(devicePixelRatio, largestRatio);
    const std::pair key(edge, devicePixelRatio);
    if (const auto kept = m_pictures->find(key); kept != m_pictures->end())
        return kept->second;
    if (m_pictures->size() >= keptPictures)
        m_pictures->clear();
    QPixmap painted = QPixmap::fromImage(TrayIconPainter::image(m_model, edge, devicePixelRatio));
    qCDebug(appLog()) << "Tray icon painted at" << edge << "px, ratio" << devicePixelRatio;
    m_pictures->emplace(key, painted);
    return painted;
}

} // namespace nimbra
