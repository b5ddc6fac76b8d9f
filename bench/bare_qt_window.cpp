// The baseline of the memory measurements: a Qt Widgets program showing one frameless window and nothing
// else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.resize(364, 170);
    window.show();
    return app.exec();
}
