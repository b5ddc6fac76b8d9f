#pragma once

#include "CachedWeatherPayload.h"
#include "LocationSyncStore.h"
#include "SnapshotEncoder.h"
#include "WeatherCache.h"

#include <QObject>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace nimbra {

// What one write of a snapshot found.
struct SnapshotWriteOutcome {
    // Why the file could not be written; the mirror is then left alone.
    std::optional<WeatherCacheError> error;
    // Whether the mirror took the snapshot; nothing when it was not asked to.
    std::optional<bool> mirrorSaved;
    // How many snapshots handed over this write stands for: the latest, and those it replaced unwritten.
    int saves = 1;

    bool operator==(const SnapshotWriteOutcome&) const = default;
};

// Writes snapshots to the file, and to the mirror when asked, on a thread of its own, so that encoding and
// syncing to disk never hold up the thread that changes the state. Snapshots are written in the order they
// were handed over; one handed over while another waits replaces it (the latest state wins), and one handed
// over while another is being written cuts that write short at its next step (before the file, before the
// mirror), so a quit waits for one write of the latest state and little more. Bytes equal to the ones last
// written (or to the file's as read at launch) are not written again, so a save costs what changed.
//
// The object lives on the thread that submits; outcomes come back to it through written(), in order. The
// writer thread touches only its own copies: the snapshots handed over (implicitly shared, never changed
// after) and its encoder.
class SnapshotWriter : public QObject {
    Q_OBJECT
public:
    SnapshotWriter(std::shared_ptr<WeatherCache> cache, std::shared_ptr<LocationSyncStore> mirror,
                   QByteArray onDisk, QObject* parent = nullptr);
    // Finishes every write handed over (their outcomes are not delivered any more) and stops the thread.
    ~SnapshotWriter() override;

    // The entries of `asRead` that the payload's tables lack are written as the file held them.
    void submit(CachedWeatherPayload payload, bool toMirror, FileEntries asRead = {});
    // Blocks until everything handed over is on disk.
    void waitUntilWritten();
    // Waits, then delivers the outcomes not delivered yet, so they are known when this returns.
    void flush();
    // As flush(), for the last writes: nothing is written after them, so what they wrote is not digested for
    // a later comparison (a quit at many places would hash tens of megabytes for nothing).
    void finish();

Q_SIGNALS:
    void written(const nimbra::SnapshotWriteOutcome& outcome);

private:
    // The size and the digest of bytes written: bytes of another size differ without a digest.
    struct Fingerprint {
        qsizetype size = -1;
        QByteArray digest;
    };
    class Written;

    struct Job {
        CachedWeatherPayload payload;
        bool toMirror = false;
        int saves = 1;
        FileEntries asRead;
    };

    void run();
    // Nothing when a newer snapshot came before the job was through: its saves go to that one.
    std::optional<SnapshotWriteOutcome> write(const Job& job);
    bool isFinishing();
    // Adds the job's saves to a snapshot waiting after it; false when none waits.
    bool passedOn(const Job& job);
    void deliver();

    const std::shared_ptr<WeatherCache> m_cache;
    const std::shared_ptr<LocationSyncStore> m_mirror;

    // Guarded by m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    bool m_busy = false;
    bool m_stopping = false;
    bool m_finishing = false;
    QList<SnapshotWriteOutcome> m_outcomes;
    bool m_deliveryPosted = false;

    // The writer thread's own.
    SnapshotEncoder m_encoder;
    // The file as read at launch, until the first write compares with it.
    QByteArray m_onDisk;
    // What the file and the mirror were last known to hold; nothing after the last writes.
    Fingerprint m_fileHolds;
    Fingerprint m_mirrorHolds;

    std::thread m_thread;
};

} // namespace nimbra
