#include "LocationSyncStore.h"
#include "SnapshotEncoder.h"
#include "SnapshotWriter.h"
#include "StoreHarness.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "WeatherCache.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>

#include <sys/stat.h>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

// The file's inode and change time: a save replaces the file, so either moving means it was written.
std::pair<ino_t, qint64> identityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, 0};
    return {info.st_ino, qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// The snapshots a session goes through, each from the one before.
QList<CachedWeatherPayload> sessionOfSnapshots() {
    QList<CachedWeatherPayload> steps;
    CachedWeatherPayload p = payloadWith(4, 3);
    steps.append(p);
    p.settings.showAlerts = !p.settings.showAlerts; // a settings change
    steps.append(p);
    p.forecasts[idFor(3)].confidence = 0.25; // one forecast refreshed
    p.providerForecasts[idFor(3)].removeLast();
    steps.append(p);
    p.selectedForecast = consensusFor(place(9, "Elsewhere", 1, 1)); // a selection no entry holds
    steps.append(p);
    p.selectedForecast.reset();
    p.locations.removeAt(2); // a place deleted with its entries
    p.forecasts.remove(idFor(3));
    p.providerForecasts.remove(idFor(3));
    p.deletedLocations = {{idFor(3), QDateTime(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC)}};
    steps.append(p);
    p.forecasts[idFor(4)].confidence = std::numeric_limits<double>::quiet_NaN(); // has no JSON form
    p.providerForecasts[idFor(4)][1].current->temperatureC = std::numeric_limits<double>::infinity();
    steps.append(p);
    p.forecasts[idFor(4)].confidence = 0.5; // mended
    p.selectedForecast = p.forecasts.value(idFor(2));
    steps.append(p);
    return steps;
}

// Writes the file as the cache does; while held, a write waits on the writer thread until release().
class HeldCache final : public WeatherCache {
public:
    using WeatherCache::WeatherCache;

    std::optional<WeatherCacheError> writeEncoded(const QByteArray& bytes,
                                                  qsizetype forecastsWritten) const override {
        {
            std::unique_lock lock(m_mutex);
            ++m_writes;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return !m_held; });
        }
        return WeatherCache::writeEncoded(bytes, forecastsWritten);
    }

    void hold() {
        const std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release() {
        const std::lock_guard lock(m_mutex);
        m_held = false;
        m_changed.notify_all();
    }
    // The writer thread has started its `count`th write (within ten seconds).
    bool reached(int count) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_writes >= count; });
    }
    int writes() const {
        const std::lock_guard lock(m_mutex);
        return m_writes;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable int m_writes = 0;
    bool m_held = false;
};

struct WriterFixture {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Nimbra/weather-widget-cache-v3.json"));
    std::shared_ptr<HeldCache> cache = std::make_shared<HeldCache>(file);
    std::shared_ptr<UbiquitousKeyValueStoreInMemory> mirror;
    std::unique_ptr<SnapshotWriter> writer;
    QList<SnapshotWriteOutcome> outcomes;

    explicit WriterFixture(std::optional<qsizetype> mirrorLimit = std::nullopt, QByteArray onDisk = {})
        : mirror(std::make_shared<UbiquitousKeyValueStoreInMemory>(mirrorLimit)),
          writer(
              std::make_unique<SnapshotWriter>(cache, std::make_shared<LocationSyncStore>(mirror), onDisk)) {
        QObject::connect(writer.get(), &SnapshotWriter::written,
                         [this](const SnapshotWriteOutcome& o) { outcomes.append(o); });
    }
};

} // namespace

class SnapshotWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The widget host and older versions read these bytes: keeping unchanged entries must not change one.
    void encoderKeepsThePlainEncodersBytes() {
        SnapshotEncoder encoder;
        int step = 0;
        for (const CachedWeatherPayload& payload : sessionOfSnapshots()) {
            qsizetype plainCount = -1;
            qsizetype splicedCount = -2;
            const auto plain = payload.encoded(&plainCount);
            const auto spliced = encoder.encode(payload, &splicedCount);
            QVERIFY2(plain && spliced, qPrintable(QString::number(step)));
            QVERIFY2(*spliced == *plain, qPrintable(QStringLiteral("step %1").arg(step)));
            QCOMPARE(splicedCount, plainCount);
            // Twice: the second time every entry comes from what the first kept.
            QCOMPARE(*encoder.encode(payload), *plain);
            ++step;
        }
        CachedWeatherPayload broken = payloadWith(2);
        broken.locations[1].latitude = std::numeric_limits<double>::infinity();
        QVERIFY(!broken.encoded() && !encoder.encode(broken));
    }

    // Changes faster than writes: the file ends with the latest state, every outcome comes back in order and
    // the same bytes are never written twice. A state handed over while an older one is being written cuts
    // that write short: the mirror takes the latest alone, and one outcome stands for every save.
    void latestStateWinsAndSameBytesAreNotWritten() {
        WriterFixture f;
        CachedWeatherPayload p = payloadWith(3);
        for (int i = 0; i < 40; ++i) {
            p.settings.refreshIntervalMinutes = 15 + i;
            f.writer->submit(p, true);
        }
        f.writer->flush();
        QCOMPARE(WeatherCache(f.file).load(), p);
        QCOMPARE(LocationSyncStore(f.mirror).load(), std::optional(p));
        int saves = 0;
        for (const SnapshotWriteOutcome& o : std::as_const(f.outcomes)) {
            QVERIFY(!o.error && o.mirrorSaved == true);
            saves += o.saves;
        }
        QCOMPARE(saves, 40);
        const int mirrorWrites = f.mirror->writeCount();

        const auto written = identityOf(f.file);
        f.outcomes.clear();
        f.writer->submit(p, true);
        f.writer->flush();
        QCOMPARE(f.outcomes.size(), 1);
        QCOMPARE(identityOf(f.file), written);
        QCOMPARE(f.mirror->writeCount(), mirrorWrites);

        f.outcomes.clear();
        f.cache->hold();
        const int fileWrites = f.cache->writes();
        p.settings.refreshIntervalMinutes = 90;
        f.writer->submit(p, true);
        QVERIFY(f.cache->reached(fileWrites + 1));
        for (int i = 1; i <= 2; ++i) {
            p.settings.refreshIntervalMinutes = 90 + i;
            f.writer->submit(p, true);
        }
        f.cache->release();
        f.writer->flush();
        QCOMPARE(f.outcomes, (QList{SnapshotWriteOutcome{std::nullopt, true, 3}}));
        QCOMPARE(f.mirror->writeCount(), mirrorWrites + 1);
        QCOMPARE(WeatherCache(f.file).load(), p);
        QCOMPARE(LocationSyncStore(f.mirror).load(), std::optional(p));
    }

    // The launch hands over the file as read: writing the state it holds changes nothing on disk.
    void bytesReadAtLaunchAreNotWrittenAgain() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("snapshot.json"));
        const CachedWeatherPayload p = payloadWith(2);
        QVERIFY(!WeatherCache(file).save(p));
        const auto before = identityOf(file);
        SnapshotWriter writer(std::make_shared<WeatherCache>(file),
                              std::make_shared<LocationSyncStore>(nullptr), WeatherCache(file).read().bytes);
        writer.submit(p, false);
        writer.flush();
        QCOMPARE(identityOf(file), before);

        // The last writes keep no digest; a write after them all the same is never taken for the same bytes.
        SnapshotWriter last(std::make_shared<WeatherCache>(file),
                            std::make_shared<LocationSyncStore>(nullptr), WeatherCache(file).read().bytes);
        CachedWeatherPayload changed = p;
        changed.settings.refreshIntervalMinutes += 5;
        last.submit(changed, false);
        last.finish();
        QCOMPARE(WeatherCache(file).load(), changed);
        last.submit(p, false);
        last.flush();
        QCOMPARE(WeatherCache(file).load(), p);
    }

    // A refused mirror write comes back as such and is tried again with the next save.
    void refusedMirrorWriteIsReportedAndRetried() {
        WriterFixture f(qsizetype(10));
        const CachedWeatherPayload p = payloadWith(2);
        f.writer->submit(p, true);
        f.writer->flush();
        QCOMPARE(f.outcomes, (QList{SnapshotWriteOutcome{std::nullopt, false, 1}}));
        QCOMPARE(WeatherCache(f.file).load(), p);
        f.writer->submit(p, true);
        f.writer->flush();
        QCOMPARE(f.outcomes.last(), (SnapshotWriteOutcome{std::nullopt, false, 1}));
        f.mirror->setSizeLimit(std::nullopt);
        f.writer->submit(p, true);
        f.writer->flush();
        QCOMPARE(f.outcomes.last(), (SnapshotWriteOutcome{std::nullopt, true, 1}));
        QCOMPARE(LocationSyncStore(f.mirror).load(), std::optional(p));
    }

    // Saves leave the thread that changes the state, but the last one is on disk once the store is gone.
    void destroyedStoreLeavesItsLastStateOnDisk() {
        StoreHarness h;
        h.save(payloadWith(3));
        auto store = h.makeStore();
        for (int i = 0; i < 10; ++i)
            store->updateSettings([i](WeatherSettings& s) { s.refreshIntervalMinutes = 20 + i; });
        const WeatherSettings expected = store->settings();
        store.reset();
        QCOMPARE(WeatherCache(h.file).load().settings, expected);
    }

    // A launch whose location request fails again, with nothing else changed, leaves the file alone.
    void failedResolutionAtLaunchDoesNotRewrite() {
        StoreHarness h;
        h.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::permissionDenied);
        {
            const auto store = h.makeStore();
            QVERIFY(run(store->refreshSelectedResolvingCurrentLocation()));
        }
        const auto before = identityOf(h.file);
        QVERIFY(before.first != 0);
        const auto store = h.makeStore();
        QVERIFY(run(store->refreshSelectedResolvingCurrentLocation()));
        store->flushSaves();
        QVERIFY(store->lastError());
        QCOMPARE(identityOf(h.file), before);
    }
};

QTEST_GUILESS_MAIN(SnapshotWriterTest)
#include "tst_snapshot_writer.moc"
