#include "SnapshotFeed.h"

#include "FreedMemory.h"

namespace nimbra {

SnapshotFeed::SnapshotFeed(PayloadLoader load, QObject* parent) : QObject(parent), m_load(std::move(load)) {
    m_worker.setMaxThreadCount(1);
}

SnapshotFeed::~SnapshotFeed() {
    // The worker posts its result to this object; it must be done before the object goes.
    m_worker.waitForDone();
}

PayloadLoader SnapshotFeed::loader() const {
    return [this] { return m_payload; };
}

void SnapshotFeed::readNow() {
    m_payload = m_load ? m_load() : CachedWeatherPayload{};
    ++m_reads;
    // The decode's temporaries are as large as the file.
    releaseFreedMemorySoon();
}

void SnapshotFeed::request(const QStringList& kinds) {
    for (const QString& kind : kinds) {
        if (!m_waiting.contains(kind))
            m_waiting.append(kind);
    }
    if (!m_busy)
        startRead();
}

void SnapshotFeed::startRead() {
    m_busy = true;
    m_reading = std::exchange(m_waiting, {});
    m_worker.start([this, load = m_load] {
        // Decoded here, delivered whole: the GUI thread never sees a half-built snapshot.
        CachedWeatherPayload payload = load ? load() : CachedWeatherPayload{};
        QMetaObject::invokeMethod(
            this, [this, payload = std::move(payload)]() mutable { finishRead(std::move(payload)); },
            Qt::QueuedConnection);
        releaseFreedMemorySoon();
    });
}

void SnapshotFeed::finishRead(CachedWeatherPayload payload) {
    CachedWeatherPayload replaced = std::exchange(m_payload, std::move(payload));
    ++m_reads;
    m_busy = false;
    const QStringList kinds = std::exchange(m_reading, {});
    // A request that came in during the read may have seen an older file: read once more for it.
    if (!m_waiting.isEmpty())
        startRead();
    // Freeing a snapshot's thousands of blocks takes as long as a frame: the worker does it, after any read
    // queued just now, which the widgets wait for.
    m_worker.start([replaced = std::move(replaced)]() mutable {
        replaced = {};
        releaseFreedMemorySoon();
    });
    Q_EMIT loaded(kinds);
}

} // namespace nimbra
