#pragma once

#include <QList>
#include <QTimer>

#include <chrono>
#include <functional>

namespace nimbra {

// Work too long for one event-loop turn, run as steps and then a last action. Each turn runs steps back to
// back until it has used `budget` (at least one step a turn): between turns the application takes input and
// repaints, and short steps cost no extra turns. A step known to be long can be given a turn of its own
// with nextTurn() before and after it. The last action runs in the turn of the last step.
class TurnSteps {
public:
    using Step = std::function<void()>;

    // Half a frame by default: a step begun just under it still ends within the frame.
    explicit TurnSteps(std::chrono::milliseconds budget = std::chrono::milliseconds(8));

    // In a list of steps: the steps after it begin a new turn.
    static Step nextTurn() { return {}; }

    // Runs `steps` from the next turn on, then `done`; whatever was under way is dropped.
    void start(QList<Step> steps, Step done);
    // Drops the steps left and the last action.
    void cancel();
    bool isRunning() const { return m_running; }

private:
    void runTurn();
    bool isBreakNext() const;
    // False once the last action has run (or the run was dropped or started again).
    bool runNext();

    std::chrono::milliseconds m_budget;
    QTimer m_timer;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    Step m_done;
    // Tells a turn that a step started or cancelled the run it belongs to.
    quint64 m_run = 0;
    bool m_running = false;
};

} // namespace nimbra
