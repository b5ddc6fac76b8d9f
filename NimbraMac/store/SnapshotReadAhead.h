#pragma once

#include "WeatherCache.h"

#include <future>
#include <memory>

namespace nimbra {

// The snapshot's leading part (WeatherCache::readOutlined()) read on a thread of its own from the program's
// first moment: the application connects to the display and the session bus meanwhile, and at a hundred
// places and more the read is most of a launch. The store takes it when it is made.
class SnapshotReadAhead {
public:
    // Starts reading `cache`'s file.
    explicit SnapshotReadAhead(std::shared_ptr<WeatherCache> cache);
    // Waits for a read nobody took (a start that handed over to a running instance).
    ~SnapshotReadAhead();
    SnapshotReadAhead(const SnapshotReadAhead&) = delete;
    SnapshotReadAhead& operator=(const SnapshotReadAhead&) = delete;

    const std::shared_ptr<WeatherCache>& cache() const { return m_cache; }
    // What the read found, waiting for it. Once: later calls read the file again.
    WeatherCacheReading take();

private:
    std::shared_ptr<WeatherCache> m_cache;
    std::future<WeatherCacheReading> m_reading;
};

} // namespace nimbra
