#include "TurnSteps.h"

#include <QElapsedTimer>

#include <utility>

namespace nimbra {

TurnSteps::TurnSteps(std::chrono::milliseconds budget) : m_budget(budget) {
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { runTurn(); });
}

void TurnSteps::start(QList<Step> steps, Step done) {
    ++m_run;
    m_steps = std::move(steps);
    m_next = 0;
    m_done = std::move(done);
    m_timer.start();
}

void TurnSteps::cancel() {
    ++m_run;
    m_timer.stop();
    m_steps.clear();
    m_done = nullptr;
}

void TurnSteps::runTurn() {
    QElapsedTimer turn;
    turn.start();
    const qint64 budgetNs = std::chrono::nanoseconds(m_budget).count();
    while (runNext() && turn.nsecsElapsed() < budgetNs) {
    }
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
