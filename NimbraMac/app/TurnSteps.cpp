#include "TurnSteps.h"

#include <utility>

namespace nimbra {

TurnSteps::TurnSteps() {
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { runNext(); });
}

void TurnSteps::start(QList<Step> steps, Step done) {
    m_steps = std::move(steps);
    m_next = 0;
    m_done = std::move(done);
    m_timer.start();
}

void TurnSteps::cancel() {
    m_timer.stop();
    m_steps.clear();
    m_done = nullptr;
}

void TurnSteps::runNext() {
    if (m_next < m_steps.size()) {
        // A copy: the step may start or cancel the run it belongs to.
        const Step step = m_steps[m_next++];
        step();
        return;
    }
    const Step done = std::exchange(m_done, nullptr);
    cancel();
    if (done)
        done();
}

} // namespace nimbra
