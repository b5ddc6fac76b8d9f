#include "ApplicationIcon.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWidget>

using namespace nimbra;

// The window icon is looked up only once a window the taskbar lists has shown: a tray-only session must not
// load the SVG renderer for it.
class ApplicationIconTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void waitsForAListedWindow() {
        setApplicationIconOnFirstWindow();

        QMenu menu;
        menu.addAction(QStringLiteral("Quit"));
        menu.popup(QPoint(10, 10));
        // The shape of an XEmbed tray icon's window: a top-level the window manager never sees.
        QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayIcon.show();
        QCoreApplication::processEvents();
        QVERIFY(QApplication::windowIcon().isNull());

        QWidget window;
        window.show();
        // Set in the turn after the show.
        QVERIFY(QApplication::windowIcon().isNull());
        QTRY_VERIFY(!QApplication::windowIcon().isNull());
        QVERIFY(!window.windowIcon().isNull());
        // Pictures rendered beforehand, at the sizes an X11 window icon is made of: setting them renders nothing.
        QCOMPARE(QApplication::windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {64, 64}, {128, 128}}));
    }
};

QTEST_MAIN(ApplicationIconTest)
#include "tst_application_icon.moc"
