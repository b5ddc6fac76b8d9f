#include "TrayAbsence.h"

namespace nimbra {

TrayAbsence::TrayAbsence(std::chrono::milliseconds grace, QObject* parent) : QObject(parent) {
    m_grace.setSingleShot(true);
    m_grace.setInterval(grace);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (!m_available)
            Q_EMIT showInstead();
    });
}

void TrayAbsence::setAvailable(bool available, At at) {
    if (available == m_available)
        return;
    m_available = available;
    if (!available) {
        // At start there is nothing to wait for: the window shows with the launch.
        if (at == At::change)
            m_grace.start();
        return;
    }
    m_grace.stop();
    const bool unused = m_use.isUnused();
    m_use.stop();
    if (unused)
        Q_EMIT returnToTray();
}

void TrayAbsence::shownInstead(QWidget* window) {
    m_use.start(window);
}

} // namespace nimbra
