#pragma once

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbra::storetest {

// A FIFO at `path` for a reader that must not block on it. Should a reader still wait in open() or read()
// after `patience`, a writer end is opened and closed, which ends its wait (it then reads nothing): the test
// goes on and fails on released() instead of hanging the suite.
class FifoGuard {
public:
    explicit FifoGuard(const QString& path, std::chrono::milliseconds patience = std::chrono::seconds(10))
        : m_path(QFile::encodeName(path)), m_made(::mkfifo(m_path.constData(), 0600) == 0),
          m_watch([this, patience] { watch(patience); }) {}
    ~FifoGuard() {
        m_done = true;
        m_watch.join();
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool made() const { return m_made; }
    // A reader blocked and had to be let go.
    bool released() const { return m_released; }

private:
    void watch(std::chrono::milliseconds patience) {
        const auto giveUp = std::chrono::steady_clock::now() + patience;
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (std::chrono::steady_clock::now() < giveUp)
                continue;
            // Succeeds only while a reader holds the other end (or waits in open() for a writer).
            const int writer = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) {
                m_released = true;
                ::close(writer);
            }
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_done = false;
    std::atomic<bool> m_released = false;
    std::thread m_watch;
};

} // namespace nimbra::storetest
