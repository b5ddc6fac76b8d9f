#include "WindowUseWatch.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace nimbra {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

void WindowUseWatch::start(QWidget* window) {
    if (!m_window)
        qApp->installEventFilter(this);
    m_window = window;
}

void WindowUseWatch::stop() {
    if (m_window)
        qApp->removeEventFilter(this);
    m_window = nullptr;
}

bool WindowUseWatch::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event->type()) || !m_window)
        return false;
    // Input reaches the window's widgets and, first, its QWindow.
    const auto* widget = qobject_cast<QWidget*>(watched);
    const auto* window = qobject_cast<QWindow*>(watched);
    if ((widget && widget->window() == m_window) || (window && window == m_window->windowHandle()))
        stop();
    return false;
}

} // namespace nimbra
