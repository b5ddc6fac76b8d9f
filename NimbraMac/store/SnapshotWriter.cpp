#include "SnapshotWriter.h"

#include "FreedMemory.h"
#include "Log.h"

#include <QCryptographicHash>
#include <QMetaObject>

namespace nimbra {
namespace {

// What was written is remembered by its digest, not its bytes: a second copy of a large snapshot would stay
// in memory for the life of the process. BLAKE2b takes a quarter of SHA-256's time, tens of milliseconds
// more at hundreds of places on every save.
QByteArray digestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
}

} // namespace

// The bytes of one write, digested when a comparison or a later write first needs it: a quit's write of a
// changed snapshot at hundreds of places takes no digest.
class SnapshotWriter::Written {
public:
    explicit Written(const QByteArray& bytes) : m_bytes(bytes) {}

    bool isIn(const Fingerprint& held) { return held.size == m_bytes.size() && held.digest == digest(); }
    Fingerprint fingerprint() { return {m_bytes.size(), digest()}; }

private:
    const QByteArray& digest() {
        if (!m_digest)
            m_digest = digestOf(m_bytes);
        return *m_digest;
    }

    const QByteArray& m_bytes;
    std::optional<QByteArray> m_digest;
};

SnapshotWriter::SnapshotWriter(std::shared_ptr<WeatherCache> cache, std::shared_ptr<LocationSyncStore> mirror,
                               QByteArray onDisk, QObject* parent)
    : QObject(parent), m_cache(std::move(cache)), m_mirror(std::move(mirror)), m_onDisk(std::move(onDisk)),
      m_thread([this] { run(); }) {}

SnapshotWriter::~SnapshotWriter() {
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SnapshotWriter::submit(CachedWeatherPayload payload, bool toMirror, FileEntries asRead) {
    {
        const std::lock_guard lock(m_mutex);
        const int saves = m_pending ? m_pending->saves + 1 : 1;
        m_pending = Job{std::move(payload), toMirror, saves, std::move(asRead)};
    }
    m_wake.notify_one();
}

void SnapshotWriter::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
}

void SnapshotWriter::flush() {
    waitUntilWritten();
    deliver();
}

void SnapshotWriter::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    flush();
}

bool SnapshotWriter::isFinishing() {
    const std::lock_guard lock(m_mutex);
    return m_finishing;
}

bool SnapshotWriter::passedOn(const Job& job) {
    const std::lock_guard lock(m_mutex);
    if (!m_pending)
        return false;
    m_pending->saves += job.saves;
    return true;
}

void SnapshotWriter::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_pending || m_stopping; });
            if (!m_pending)
                return;
            job = std::move(*m_pending);
            m_pending.reset();
            m_busy = true;
        }
        const std::optional<SnapshotWriteOutcome> outcome = write(job);
        // Released before anything is dropped here: the last reference to a snapshot may be this one.
        job = {};
        releaseFreedMemorySoon();
        bool post = false;
        {
            const std::lock_guard lock(m_mutex);
            if (outcome) {
                m_outcomes.append(*outcome);
                post = !std::exchange(m_deliveryPosted, true);
            }
            m_busy = false;
        }
        m_idle.notify_all();
        if (post)
            QMetaObject::invokeMethod(this, &SnapshotWriter::deliver, Qt::QueuedConnection);
    }
}

std::optional<SnapshotWriteOutcome> SnapshotWriter::write(const Job& job) {
    SnapshotWriteOutcome outcome;
    outcome.saves = job.saves;
    qsizetype forecastsWritten = 0;
    const auto bytes = m_encoder.encode(job.payload, &forecastsWritten, job.asRead);
    if (!bytes) {
        outcome.error = WeatherCache::encodingError(bytes.error);
        return outcome;
    }
    // A newer snapshot handed over meanwhile is written instead: a quit waits for none of a stale one's steps
    // but the one it was at.
    if (passedOn(job))
        return std::nullopt;
    // The file as read is compared once, at the first write: a quit that writes nothing never digests it. The
    // fingerprints are for the next write to compare with; the last writes keep none.
    Written written(*bytes);
    const bool unchanged = m_onDisk.isNull() ? written.isIn(m_fileHolds) : *bytes == m_onDisk;
    m_onDisk = {};
    if (!unchanged && (outcome.error = m_cache->writeEncoded(*bytes, forecastsWritten)))
        return outcome;
    m_fileHolds = isFinishing() ? Fingerprint() : written.fingerprint();
    // The mirror takes the newer one alone; the file held this state meanwhile.
    if (job.toMirror && passedOn(job))
        return std::nullopt;
    if (job.toMirror) {
        // What the mirror holds is known from the last write to it; it is not read back to compare.
        outcome.mirrorSaved = written.isIn(m_mirrorHolds) || m_mirror->saveEncoded(*bytes);
        m_mirrorHolds = *outcome.mirrorSaved && !isFinishing() ? written.fingerprint() : Fingerprint();
    }
    return outcome;
}

void SnapshotWriter::deliver() {
    QList<SnapshotWriteOutcome> outcomes;
    {
        const std::lock_guard lock(m_mutex);
        outcomes.swap(m_outcomes);
        m_deliveryPosted = false;
    }
    for (const SnapshotWriteOutcome& outcome : std::as_const(outcomes))
        Q_EMIT written(outcome);
}

} // namespace nimbra
