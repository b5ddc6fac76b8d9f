#include "SymbolIcon.h"

#include "SymbolImage.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPixmap>

namespace nimbra {

namespace {

// Lives as a child of the widget it watches, so it goes with it.
class PalettePainter : public QObject {
public:
    PalettePainter(QWidget* widget, std::function<void(const QPalette&)> paint)
        : QObject(widget), m_widget(widget), m_paint(std::move(paint)) {
        widget->installEventFilter(this);
        m_paint(widget->palette());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::PaletteChange)
            m_paint(m_widget->palette());
        return false;
    }

private:
    QWidget* m_widget;
    std::function<void(const QPalette&)> m_paint;
};

} // namespace

QIcon symbolIcon(const QString& name, const QPalette& palette, int edge) {
    QIcon icon;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled}) {
        const QColor tint = palette.color(group, QPalette::ButtonText);
        for (const qreal ratio : {1.0, 2.0})
            icon.addPixmap(
                QPixmap::fromImage(SymbolImage::image(name, edge, tint, FontWeight::regular, ratio)),
                group == QPalette::Active ? QIcon::Normal : QIcon::Disabled);
    }
    return icon;
}

void paintWithPalette(QWidget* widget, std::function<void(const QPalette&)> paint) {
    new PalettePainter(widget, std::move(paint));
}

void setSymbolIcon(QAbstractButton* button, const QString& name, int edge) {
    paintWithPalette(button, [button, name, edge](const QPalette& palette) {
        button->setIcon(symbolIcon(name, palette, edge));
    });
}

} // namespace nimbra
