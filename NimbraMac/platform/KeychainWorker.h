#pragma once

#include "TaskDeadline.h"

#include <QCoreApplication>

#include <QCoro/QCoroTask>

#include <atomic>
#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace nimbra {

namespace detail {

// Answers promised and not yet taken in on the main thread. An answer still queued when the application
// object goes is never taken in, and its waiter never ends.
inline std::atomic<int> keychainAnswersOutstanding{0};

// A job's result, handed over on the main thread: nothing for a job that was not run.
template <typename T> struct KeychainDelivery {
    std::optional<T> value;
    bool arrived = false;
    std::coroutine_handle<> waiter;

    void deliver(std::optional<T> result) {
        --keychainAnswersOutstanding;
        value = std::move(result);
        arrived = true;
        if (const auto w = std::exchange(waiter, nullptr))
            w.resume();
    }
    // From the keychain thread. To the application object, which outlives any worker: the answer still
    // arrives (and its waiter ends) when the worker and its owner have gone meanwhile.
    static void post(std::shared_ptr<KeychainDelivery> delivery, std::optional<T> result) {
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application,
                [delivery = std::move(delivery), result = std::move(result)]() mutable {
                    delivery->deliver(std::move(result));
                },
                Qt::QueuedConnection);
    }
};

// The job's result once it arrives; `late` gets it when the caller stopped waiting before.
template <typename T>
QCoro::Task<std::optional<T>> delivered(std::shared_ptr<KeychainDelivery<T>> delivery,
                                        std::shared_ptr<std::atomic_bool> abandoned,
                                        std::function<void(const T&)> late) {
    struct Awaiter {
        KeychainDelivery<T>& delivery;
        bool await_ready() const noexcept { return delivery.arrived; }
        void await_suspend(std::coroutine_handle<> waiter) noexcept { delivery.waiter = waiter; }
        void await_resume() const noexcept {}
    };
    co_await Awaiter{*delivery};
    if (*abandoned && late && delivery->value)
        late(*delivery->value);
    co_return std::move(delivery->value);
}

} // namespace detail

// Makes keychain calls one at a time on a thread of its own, so that a Secret Service that never answers (a
// stuck daemon, a keyring waiting at an unlock prompt, each call waiting out a 25 s D-Bus time-out) holds up
// that thread and never its caller. The caller waits at most `limit` for an answer; the call itself cannot be
// cut short and runs to its end.
//
// Nothing piles up behind a call that hangs: while a call has run longer than the limit, a new read fails at
// once, and a read whose caller stopped waiting before it started is skipped. Writes always run, in the order
// they were made; a write that has not started is dropped when a newer one arrives (each write carries the
// whole state) and answers nothing. Destroying the worker waits up to the limit for the writes still to run;
// the calls still queued then run on their own, and the program ends through exitIfACallHangs().
//
// Made and used on the application's main thread, whose event loop delivers the answers.
class KeychainWorker final {
public:
    explicit KeychainWorker(std::chrono::milliseconds limit);
    ~KeychainWorker();
    KeychainWorker(const KeychainWorker&) = delete;
    KeychainWorker& operator=(const KeychainWorker&) = delete;

    // The job's result; nothing when it did not end within the limit, or was not run.
    template <typename T> QCoro::Task<std::optional<T>> read(std::function<T()> job) {
        return await<T>(std::move(job), Kind::read, {});
    }
    // As read(); `late` gets the result of a write that ends after the caller stopped waiting.
    template <typename T>
    QCoro::Task<std::optional<T>> write(std::function<T()> job, std::function<void(const T&)> late = {}) {
        return await<T>(std::move(job), Kind::write, std::move(late));
    }

    // Blocks until every write made so far has ended, or `limit` has passed; true when they ended.
    bool waitForWrites(std::chrono::milliseconds limit);

    std::chrono::milliseconds limit() const { return m_limit; }

    // Answers of any worker not yet taken in: what a program waits for before its application object goes.
    static int answersOutstanding() { return detail::keychainAnswersOutstanding; }

    // What a program calls once its workers have gone, before it returns from main(): returns when every
    // keychain thread has ended (and been joined) within `limit`; otherwise, while a call hangs, ends the
    // process at once with `status`, without static destructors, so that the call cannot end inside them.
    static void exitIfACallHangs(int status, std::chrono::milliseconds limit);

private:
    enum class Kind { read, write };
    struct Job {
        std::function<void()> run;
        // Answers nothing, for a job that is not run after all.
        std::function<void()> drop;
        Kind kind = Kind::read;
        std::shared_ptr<std::atomic_bool> abandoned;
    };
    struct Queue;

    // Queues the job on the keychain thread; false when a read is refused because a call hangs.
    bool submit(Job job);
    void startThread();

    template <typename T>
    QCoro::Task<std::optional<T>> await(std::function<T()> job, Kind kind,
                                        std::function<void(const T&)> late) {
        auto delivery = std::make_shared<detail::KeychainDelivery<T>>();
        auto abandoned = std::make_shared<std::atomic_bool>(false);
        using Delivery = detail::KeychainDelivery<T>;
        auto run = [job = std::move(job), delivery] { Delivery::post(delivery, job()); };
        auto drop = [delivery] { Delivery::post(delivery, std::nullopt); };
        ++detail::keychainAnswersOutstanding;
        if (!submit({std::move(run), std::move(drop), kind, abandoned})) {
            --detail::keychainAnswersOutstanding;
            co_return std::nullopt;
        }
        // Named, not a temporary of the co_await expression (GCC 12 may destroy those twice).
        QCoro::Task<std::optional<std::optional<T>>> answer =
            withDeadline(detail::delivered<T>(delivery, abandoned, std::move(late)), m_limit);
        std::optional<std::optional<T>> result = co_await std::move(answer);
        if (!result)
            *abandoned = true;
        co_return result.value_or(std::nullopt);
    }

    std::chrono::milliseconds m_limit;
    std::shared_ptr<Queue> m_queue;
    bool m_started = false;
};

} // namespace nimbra
