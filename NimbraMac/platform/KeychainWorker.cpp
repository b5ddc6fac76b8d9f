#include "KeychainWorker.h"

#include "Log.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace nimbra {

namespace {

using Clock = std::chrono::steady_clock;

// Every keychain thread of the process. Joinable, so that the process can make sure none still runs when its
// static objects go. Never destroyed: a thread whose call hangs may outlive every other static.
class KeychainThreads {
public:
    static KeychainThreads& process() {
        static auto* threads = new KeychainThreads;
        return *threads;
    }

    void start(std::function<void()> body) {
        const std::lock_guard lock(m_mutex);
        joinEnded();
        const quint64 id = m_nextID++;
        m_threads.emplace(id, std::thread([this, id, body = std::move(body)]() mutable {
                              body();
                              body = nullptr; // what it holds goes before the thread counts as ended
                              const std::lock_guard ending(m_mutex);
                              m_ended.push_back(id);
                              m_changed.notify_all();
                          }));
    }

    bool joinAll(std::chrono::milliseconds limit) {
        std::unique_lock lock(m_mutex);
        const bool ended =
            m_changed.wait_for(lock, limit, [this] { return m_ended.size() == m_threads.size(); });
        joinEnded();
        return ended;
    }

private:
    // An ended thread has nothing left to run but its own exit: joining it takes no time.
    void joinEnded() {
        for (const quint64 id : std::exchange(m_ended, {})) {
            const auto thread = m_threads.find(id);
            thread->second.join();
            m_threads.erase(thread);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<quint64, std::thread> m_threads;
    std::vector<quint64> m_ended;
    quint64 m_nextID = 0;
};

} // namespace

// Shared by the owner and the keychain thread, which may outlive the worker while a call hangs.
struct KeychainWorker::Queue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    // The job on the keychain thread, if any, and since when.
    std::optional<Kind> running;
    Clock::time_point runningSince;

    bool writesPending() const {
        return running == Kind::write ||
               std::any_of(jobs.cbegin(), jobs.cend(), [](const Job& j) { return j.kind == Kind::write; });
    }

    void serve() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (jobs.empty())
                return;
            Job job = std::move(jobs.front());
            jobs.pop_front();
            // Nobody waits for this read any more: making it would only hold up what comes next.
            if (job.kind == Kind::read && *job.abandoned) {
                job.drop();
                continue;
            }
            running = job.kind;
            runningSince = Clock::now();
            lock.unlock();
            job.run();
            job = {};
            lock.lock();
            running.reset();
            changed.notify_all();
        }
    }
};

KeychainWorker::KeychainWorker(std::chrono::milliseconds limit)
    : m_limit(limit), m_queue(std::make_shared<Queue>()) {}

KeychainWorker::~KeychainWorker() {
    if (!m_started)
        return;
    // A key typed just before quitting is still written, unless the keyring does not answer.
    waitForWrites(m_limit);
    {
        const std::lock_guard lock(m_queue->mutex);
        m_queue->stopping = true;
        m_queue->changed.notify_all();
    }
}

bool KeychainWorker::submit(Job job) {
    {
        const std::lock_guard lock(m_queue->mutex);
        if (job.kind == Kind::read && m_queue->running && Clock::now() - m_queue->runningSince > m_limit)
            return false;
        if (job.kind == Kind::write) {
            // A write not started yet gives way to this one, which carries the newer state.
            const auto superseded = std::stable_partition(m_queue->jobs.begin(), m_queue->jobs.end(),
                                                          [](const Job& j) { return j.kind != Kind::write; });
            std::for_each(superseded, m_queue->jobs.end(), [](const Job& j) { j.drop(); });
            m_queue->jobs.erase(superseded, m_queue->jobs.end());
        }
        m_queue->jobs.push_back(std::move(job));
        m_queue->changed.notify_all();
    }
    startThread();
    return true;
}

void KeychainWorker::startThread() {
    if (std::exchange(m_started, true))
        return;
    // Not joined by the worker: a call that hangs must not hold up the owner, not even when it goes away. The
    // thread keeps the queue alive and ends once the queue stops and empties.
    KeychainThreads::process().start([queue = m_queue] { queue->serve(); });
}

void KeychainWorker::exitIfACallHangs(int status, std::chrono::milliseconds limit) {
    if (KeychainThreads::process().joinAll(limit))
        return;
    // A call that hangs cannot be cut short, and its thread must not run on into the static destructors
    // of the libraries it is in (libsecret, GLib, Qt): the process ends without running them. What the
    // user saved went to disk before, as the application's objects went.
    qCWarning(keychainLog, "A keyring call still runs at exit: the process ends without waiting for it");
    std::fflush(nullptr);
    std::_Exit(status);
}

bool KeychainWorker::waitForWrites(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_queue->mutex);
    return m_queue->changed.wait_for(lock, limit, [this] { return !m_queue->writesPending(); });
}

} // namespace nimbra
