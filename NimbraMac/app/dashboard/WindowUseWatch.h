#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace nimbra {

// Whether the user has used a window the application showed by itself: a press of a key or a button, a
// wheel turn or a touch in it. Watches only between start() and stop(), so it costs nothing otherwise.
class WindowUseWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void start(QWidget* window);
    void stop();
    // Shown by the application and not used since.
    bool isUnused() const { return m_window != nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace nimbra
