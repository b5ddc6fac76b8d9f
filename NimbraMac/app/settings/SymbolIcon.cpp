#include "SymbolIcon.h"

#include "SymbolImage.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHash>
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

QString tintKey(const QColor& tint) {
    return QString::number(tint.rgba64(), 16);
}

// The icon made for `key` before, else `make`'s. Few keys are ever used: the window's symbols in its own
// colours and the desktop's.
QIcon sharedIcon(const QString& key, const std::function<QIcon()>& make) {
    static QHash<QString, QIcon> icons;
    const auto it = icons.constFind(key);
    if (it != icons.constEnd())
        return *it;
    return *icons.insert(key, make());
}

// The symbol at both pixel ratios a screen may have.
void addSymbol(QIcon& icon, const QString& name, int edge, const QColor& tint,
               QIcon::Mode mode = QIcon::Normal) {
    for (const qreal ratio : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(SymbolImage::image(name, edge, tint, FontWeight::regular, ratio)),
                       mode);
}

} // namespace

QIcon symbolIcon(const QString& name, const QPalette& palette, int edge) {
    const QColor normal = palette.color(QPalette::Active, QPalette::ButtonText);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::ButtonText);
    const QString key =
        QStringLiteral("button %1 %2 %3 %4").arg(name).arg(edge).arg(tintKey(normal), tintKey(disabled));
    return sharedIcon(key, [&] {
        QIcon icon;
        addSymbol(icon, name, edge, normal);
        addSymbol(icon, name, edge, disabled, QIcon::Disabled);
        return icon;
    });
}

QIcon tintedSymbolIcon(const QString& name, const QColor& tint, int edge) {
    return sharedIcon(QStringLiteral("tinted %1 %2 %3").arg(name).arg(edge).arg(tintKey(tint)), [&] {
        QIcon icon;
        addSymbol(icon, name, edge, tint);
        return icon;
    });
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
