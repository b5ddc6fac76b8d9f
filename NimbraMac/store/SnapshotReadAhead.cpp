#include "SnapshotReadAhead.h"

namespace nimbra {

SnapshotReadAhead::SnapshotReadAhead(std::shared_ptr<WeatherCache> cache)
    : m_cache(std::move(cache)),
      m_reading(std::async(std::launch::async, [cache = m_cache] { return cache->readOutlined(); })) {}

SnapshotReadAhead::~SnapshotReadAhead() {
    if (m_reading.valid())
        m_reading.wait();
}

WeatherCacheReading SnapshotReadAhead::take() {
    return m_reading.valid() ? m_reading.get() : m_cache->readOutlined();
}

} // namespace nimbra
