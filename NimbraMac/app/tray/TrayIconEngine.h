#pragma once

#include "StatusItemModel.h"

#include <QIconEngine>
#include <QPixmap>

#include <map>
#include <memory>
#include <utility>

namespace nimbra {

// The tray icon's pictures, painted when the tray host asks for a size rather than for every size at once:
// an XEmbed tray paints one size, so the others (and the text shaping they need) never cost anything. Each
// (size, device pixel ratio) is painted once and kept; a new reading means a new engine.
class TrayIconEngine : public QIconEngine {
public:
    explicit TrayIconEngine(StatusItemModel model);

    // The sizes tray hosts commonly ask for; a StatusNotifier tray sends the host each of them.
    static QList<QSize> offeredSizes();

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    // The picture `edge` device-independent pixels square at the ratio, painted on first use.
    QPixmap picture(int edge, qreal devicePixelRatio);

    using Pictures = std::map<std::pair<int, qreal>, QPixmap>;
    StatusItemModel m_model;
    // Shared with clones: QIcon clones its engine on detach, and the pictures stay right for the same model.
    std::shared_ptr<Pictures> m_pictures;
};

} // namespace nimbra
