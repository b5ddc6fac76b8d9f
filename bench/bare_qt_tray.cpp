// The baseline of the tray application's measurements: a Qt Widgets program with one tray icon and nothing
// else. With NIMBRA_PRINT_FIRST_TURN set it prints the wall-clock time of its first event-loop turn, as the
// application does.
#include "FirstTurnMark.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).fillRect(4, 4, 14, 14, Qt::darkCyan);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    nimbra::printFirstTurnWhenAsked();
    return app.exec();
}
