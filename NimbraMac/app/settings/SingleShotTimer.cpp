#include "SingleShotTimer.h"

namespace nimbra {

std::unique_ptr<SingleShotTimer> SingleShotTimer::make() {
    return std::make_unique<QtSingleShotTimer>();
}

QtSingleShotTimer::QtSingleShotTimer() {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // The shot may start the timer again or destroy its owner: run a copy.
        const auto fire = std::exchange(m_fire, nullptr);
        if (fire)
            fire();
    });
}

void QtSingleShotTimer::start(std::chrono::milliseconds delay, std::function<void()> fire) {
    m_fire = std::move(fire);
    m_timer.start(delay);
}

void QtSingleShotTimer::stop() {
    m_timer.stop();
    m_fire = nullptr;
}

} // namespace nimbra
