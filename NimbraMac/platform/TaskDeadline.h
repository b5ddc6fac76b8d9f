#pragma once

#include "Cancellation.h"

#include <QObject>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <coroutine>
#include <memory>
#include <optional>
#include <utility>

namespace nimbra {

namespace detail {

// Which of a task and its deadline comes first. Shared with the coroutine that awaits the task, because the
// task may end after the deadline has decided.
template <typename T> struct DeadlineRace {
    std::optional<T> value;
    bool decided = false;
    std::coroutine_handle<> waiter;

    void decide() {
        if (decided)
            return;
        decided = true;
        if (const auto w = std::exchange(waiter, nullptr))
            w.resume();
    }
};

template <typename T>
QCoro::Task<void> deliverBeforeDeadline(QCoro::Task<T> task, std::shared_ptr<DeadlineRace<T>> race) {
    std::optional<T> value;
    try {
        value = co_await task;
    } catch (...) {
        // A task that throws ends like one that never answered.
    }
    if (race->decided)
        co_return; // too late: the deadline won
    race->value = std::move(value);
    race->decide();
}

} // namespace detail

// Awaits `task` for at most `limit`, and no longer than until `cancel` fires: its result, or nothing when the
// time ran out or the wait was cancelled first (or the task threw). A task that is late keeps running to its
// end on its own and its result is dropped, so whatever it holds must not depend on the caller.
template <typename T>
QCoro::Task<std::optional<T>> withDeadline(QCoro::Task<T> task, std::chrono::milliseconds limit,
                                           CancellationToken cancel = nullptr) {
    auto race = std::make_shared<detail::DeadlineRace<T>>();
    {
        // Runs on detached once this scope ends; it holds only the shared race.
        auto delivering = detail::deliverBeforeDeadline(std::move(task), race);
    }
    if (cancel && cancel->isCancelled())
        race->decide();
    if (!race->decided) {
        // Deleted later: the waiter may resume from inside the timer's own signal.
        auto* timer = new QTimer;
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [race] { race->decide(); });
        if (cancel)
            QObject::connect(cancel.get(), &Cancellation::cancelled, timer, [race] { race->decide(); });
        timer->start(limit);

        struct Awaiter {
            detail::DeadlineRace<T>& race;
            bool await_ready() const noexcept { return race.decided; }
            void await_suspend(std::coroutine_handle<> waiter) noexcept { race.waiter = waiter; }
            void await_resume() const noexcept {}
        };
        co_await Awaiter{*race};
        timer->stop();
        timer->disconnect();
        timer->deleteLater();
    }
    co_return std::move(race->value);
}

} // namespace nimbra
