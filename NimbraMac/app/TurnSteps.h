#pragma once

#include <QList>
#include <QTimer>

#include <functional>

namespace nimbra {

// Work too long for one event-loop turn, run as steps one per turn and then a last action: between two steps
// the application takes input and repaints.
class TurnSteps {
public:
    using Step = std::function<void()>;

    TurnSteps();

    // Runs `steps` from the next turn on, then `done`; whatever was under way is dropped.
    void start(QList<Step> steps, Step done);
    // Drops the steps left and the last action.
    void cancel();
    bool isRunning() const { return m_timer.isActive(); }

private:
    void runNext();

    QTimer m_timer;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    Step m_done;
};

} // namespace nimbra
