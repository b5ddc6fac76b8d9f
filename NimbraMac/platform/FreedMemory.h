#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace nimbra {

// Hands heap pages that were freed back to the system. A large snapshot's decode or encode frees as much as
// it took, and the allocator would otherwise keep those pages for the life of the process. Takes tens of
// milliseconds over a large heap, which stays locked meanwhile: never on the GUI thread.
void releaseFreedMemory();

// The same on a thread of its own, once work has been quiet for a moment (see FreedMemoryReleaser); returns
// at once.
void releaseFreedMemorySoon();

// Makes every thread allocate from one heap. Each thread that decodes or encodes a snapshot would otherwise
// get an arena of its own that keeps its pages once the work is done; the few threads here gain nothing from
// more. Call first thing in main(), before any thread starts.
void useOneAllocatorArena();

// Runs `release` on a thread of its own once `quiet` has passed since the last request: a burst of requests
// costs one release, after the burst. While the allocator hands pages back it holds the heap's lock, so any
// thread that allocates waits; the quiet lets the work that freed them, and the repaint after it, finish
// first.
class FreedMemoryReleaser {
public:
    FreedMemoryReleaser(std::function<void()> release, std::chrono::milliseconds quiet);
    // A release still waiting for its quiet is dropped; one under way is waited for.
    ~FreedMemoryReleaser();

    FreedMemoryReleaser(const FreedMemoryReleaser&) = delete;
    FreedMemoryReleaser& operator=(const FreedMemoryReleaser&) = delete;

    // From any thread.
    void request();

private:
    void run();

    std::function<void()> m_release;
    std::chrono::milliseconds m_quiet;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::chrono::steady_clock::time_point> m_due;
    bool m_stopping = false;
    // Started by the first request: a process that never frees much never has it.
    std::thread m_thread;
};

} // namespace nimbra
