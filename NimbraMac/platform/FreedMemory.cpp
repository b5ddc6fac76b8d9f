#include "FreedMemory.h"

// glibc's own header; __GLIBC__ is known only once a C library header is in.
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace nimbra {

namespace {

// Longer than a reload and the repaint it causes take, short enough that the pages are back well before
// anyone would look at the process's memory.
constexpr std::chrono::milliseconds releaseQuiet{200};

} // namespace

void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void releaseFreedMemorySoon() {
    static FreedMemoryReleaser releaser(releaseFreedMemory, releaseQuiet);
    releaser.request();
}

void useOneAllocatorArena() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

FreedMemoryReleaser::FreedMemoryReleaser(std::function<void()> release, std::chrono::milliseconds quiet)
    : m_release(std::move(release)), m_quiet(quiet) {}

FreedMemoryReleaser::~FreedMemoryReleaser() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FreedMemoryReleaser::request() {
    {
        const std::lock_guard lock(m_mutex);
        m_due = std::chrono::steady_clock::now() + m_quiet;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_all();
}

void FreedMemoryReleaser::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_due) {
            m_wake.wait(lock);
        } else if (std::chrono::steady_clock::now() < *m_due) {
            // A later request moves the due time on; the loop looks again whenever it wakes.
            m_wake.wait_until(lock, *m_due);
        } else {
            m_due.reset();
            lock.unlock();
            m_release();
            lock.lock();
        }
    }
}

} // namespace nimbra
