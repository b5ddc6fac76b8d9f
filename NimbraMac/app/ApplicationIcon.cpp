#include "ApplicationIcon.h"

#include "BuildInfo.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace nimbra {
namespace {

Qt::WindowFlags flagsOf(QObject* object) {
    if (object->isWidgetType())
        return static_cast<QWidget*>(object)->windowFlags();
    if (object->isWindowType())
        return static_cast<QWindow*>(object)->flags();
    return Qt::Widget;
}

// An XEmbed tray icon is a window too, but one the window manager never sees.
bool isListedWindow(QObject* object) {
    const Qt::WindowFlags flags = flagsOf(object);
    const Qt::WindowType type = Qt::WindowType(int(flags & Qt::WindowType_Mask));
    return (type == Qt::Window || type == Qt::Dialog) && !flags.testFlag(Qt::BypassWindowManagerHint);
}

// Removes itself once it has set the icon; the show goes on with the icon in place, before the window maps.
class IconOnFirstShow final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && isListedWindow(watched)) {
            QApplication::setWindowIcon(applicationIcon());
            deleteLater();
            qApp->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

QIcon applicationIcon() {
    return QIcon::fromTheme(BuildInfo::applicationIdentifier(),
                            QIcon(QStringLiteral(":/icons/hicolor/scalable/apps/com.tarnwick.Nimbra.svg")));
}

void setApplicationIconOnFirstWindow() {
    qApp->installEventFilter(new IconOnFirstShow(qApp));
}

} // namespace nimbra
