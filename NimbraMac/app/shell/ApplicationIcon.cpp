#include "ApplicationIcon.h"

#include "BuildInfo.h"
#include "RunAside.h"

#include <QApplication>
#include <QImageReader>
#include <QStandardPaths>
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

const QString builtInIconFile = QStringLiteral(":/icons/hicolor/scalable/apps/com.tarnwick.Nimbra.svg");

// The sizes an X11 window icon is made of when the icon has none of its own.
constexpr int windowIconSizes[] = {16, 32, 64, 128};

// The installed picture (hicolor, where `cmake --install` puts it), else the one built in.
QString windowIconFile() {
    const QString installed = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation,
        QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(BuildInfo::applicationIdentifier()));
    return installed.isEmpty() ? builtInIconFile : installed;
}

// The window icon's pictures, rendered from the SVG. QImageReader is reentrant, unlike the icon theme's
// lookup.
QList<QImage> windowIconImages() {
    const QString file = windowIconFile();
    QList<QImage> images;
    for (const int size : windowIconSizes) {
        QImageReader reader(file, "svg");
        reader.setScaledSize(QSize(size, size));
        if (QImage image = reader.read(); !image.isNull())
            images.append(std::move(image));
    }
    return images;
}

QIcon iconOf(const QList<QImage>& images) {
    QIcon icon;
    for (const QImage& image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

// Sets the icon once the first listed window has shown, and removes itself. Loading the SVG renderer and
// rendering the sizes (some 8 ms, more on a busy machine) run on a thread of their own, so they hold up
// neither that window's first layout and paint nor the turns after it; the windows get pictures ready at the
// sizes they ask for. Taskbars and window managers take an icon that changes after the window maps.
class IconOnFirstShow final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && isListedWindow(watched)) {
            qApp->removeEventFilter(this);
            runAside<QList<QImage>>(this, windowIconImages, [this](const QList<QImage>& images) {
                if (!images.isEmpty())
                    QApplication::setWindowIcon(iconOf(images));
                deleteLater();
            });
        }
        return false;
    }
};

} // namespace

void setApplicationIconOnFirstWindow() {
    qApp->installEventFilter(new IconOnFirstShow(qApp));
}

} // namespace nimbra
