#include "TurnSteps.h"

#include <QElapsedTimer>

#include <utility>

namespace nimbra {

TurnSteps::TurnSteps(std::chrono::milliseconds budget) : m_budget(budget) {
    m_timer.setInterval(0);
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { runTurn(); });
}

void TurnSteps::start(QList<Step> steps, Step done) {
    ++m_run;
    m_steps = std::move(steps);
    m_next = 0;
    m_done = std::move(done);
    m_running = true;
    m_timer.start();
}

void TurnSteps::cancel() {
    ++m_run;
    m_timer.stop();
    m_steps.clear();
    m_done = nullptr;
    m_running = false;
}

void TurnSteps::runTurn() {
    QElapsedTimer turn;
    turn.start();
    const qint64 budgetNs = std::chrono::nanoseconds(m_budget).count();
    // A turn's break is passed over at its start, and ends the turn anywhere else.
    while (isBreakNext())
        ++m_next;
    // The last action follows the last step in its turn, whatever the time: the steps ready things for it.
    while (runNext() && (turn.nsecsElapsed() < budgetNs || m_next >= m_steps.size()) && !isBreakNext()) {
    }
    // Set again from now rather than repeating: a repeating timer's next turn falls due when this one
    // began, ahead of every other timer that fell due while it ran (animations, a caller's own).
    if (m_running && !m_timer.isActive())
        m_timer.start();
}

bool TurnSteps::isBreakNext() const {
    return m_next < m_steps.size() && !m_steps[m_next];
}

bool TurnSteps::runNext() {
    const quint64 run = m_run;
    if (m_next < m_steps.size()) {
        // A copy: the step may start or cancel the run it belongs to.
        const Step step = m_steps[m_next++];
        step();
        return run == m_run;
    }
    const Step done = std::exchange(m_done, nullptr);
    cancel();
    if (done)
        done();
    return false;
}

} // namespace nimbra
