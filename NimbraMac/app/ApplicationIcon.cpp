#include "ApplicationIcon.h"

#include "BuildInfo.h"

#include <QApplication>
#include <QTimer>
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

// Sets the icon in the turn after the first listed window shows, and removes itself: the lookup and the SVG
// renderer's loading (some 8 ms the first time) do not hold up that window's first layout and paint.
// Taskbars and window managers take an icon that changes after the window maps.
class IconOnFirstShow final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && isListedWindow(watched)) {
            qApp->removeEventFilter(this);
            deleteLater();
            QTimer::singleShot(0, qApp, [] { QApplication::setWindowIcon(applicationIcon()); });
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
