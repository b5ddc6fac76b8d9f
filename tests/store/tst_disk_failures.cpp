#include "FileSizeLimit.h"
#include "LocationSyncStore.h"
#include "StoreHarness.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "WeatherCache.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <sys/mount.h>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

// The two files that hold the user's places: the snapshot and the synced mirror.
enum class Writer { snapshot, mirror };

QString fileIn(const QString& folder, Writer writer) {
    return QDir(folder).filePath(writer == Writer::snapshot ? QStringLiteral("snapshot.json")
                                                            : QStringLiteral("mirror.json"));
}

// Writes through the writer's own interface; false when it reported a failure.
bool saved(Writer writer, const QString& folder, const CachedWeatherPayload& payload) {
    if (writer == Writer::snapshot)
        return !WeatherCache(fileIn(folder, writer)).save(payload);
    return LocationSyncStore(std::make_shared<UbiquitousKeyValueStoreFile>(fileIn(folder, writer)))
        .save(payload);
}

std::optional<CachedWeatherPayload> loaded(Writer writer, const QString& folder) {
    if (writer == Writer::snapshot) {
        const WeatherCacheReading reading = WeatherCache(fileIn(folder, writer)).read();
        if (reading.status != WeatherCacheReading::Status::loaded)
            return std::nullopt;
        return reading.payload;
    }
    return LocationSyncStore(std::make_shared<UbiquitousKeyValueStoreFile>(fileIn(folder, writer))).load();
}

// A file system of 64 KiB mounted for the test's lifetime. Mounting needs root.
class TinyFileSystem {
public:
    TinyFileSystem() {
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                            MS_NOSUID | MS_NODEV, "size=64k,mode=0700") == 0;
    }
    ~TinyFileSystem() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

    // Writes a filler file until the file system refuses more.
    bool fill() {
        QFile filler(QDir(path()).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }
    void makeRoom() { QFile::remove(QDir(path()).filePath(QStringLiteral("filler"))); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// A folder that can be made read-only for this process: by its mode, or for root (whom modes do not stop) as
// a small file system remounted read-only.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString path) : m_path(std::move(path)) {
        QDir().mkpath(m_path);
        if (::geteuid() == 0)
            m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                                "size=1m,mode=0700") == 0;
    }
    ~ReadOnlyFolder() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
        else
            QFile::setPermissions(m_path,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False when this process cannot be kept from writing there.
    bool usable() const { return ::geteuid() != 0 || m_mounted; }
    void makeReadOnly() {
        if (m_mounted)
            ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        else
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

private:
    QString m_path;
    bool m_mounted = false;
};

// A store over a snapshot file and a mirror file, as the application has them.
std::unique_ptr<WeatherStore> storeOver(StoreHarness& harness, const QString& mirrorFile) {
    return std::make_unique<WeatherStore>(
        std::make_shared<WeatherCache>(harness.file),
        std::make_shared<LocationSyncStore>(std::make_shared<UbiquitousKeyValueStoreFile>(mirrorFile)),
        harness.location, harness.credentials(), harness.environment);
}

bool lists(const WeatherStore& store, const QUuid& id) {
    const QList<WeatherLocation>& places = store.locations();
    return std::any_of(places.cbegin(), places.cend(), [&](const WeatherLocation& l) { return l.id == id; });
}

void addWriterRows() {
    QTest::addColumn<Writer>("writer");
    QTest::newRow("snapshot") << Writer::snapshot;
    QTest::newRow("mirror") << Writer::mirror;
}

} // namespace

class DiskFailuresTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Small writes are the dangerous ones: they sit in a buffer until the file is committed.
    void fullDiskKeepsThePreviousFile_data() { addWriterRows(); }
    void fullDiskKeepsThePreviousFile() {
        QFETCH(Writer, writer);
        TinyFileSystem disk;
        if (!disk.isMounted())
            QSKIP("mounting a tmpfs needs root (the limited-size tests below still run)");
        const CachedWeatherPayload first = payloadWith(1, 1, 2);
        QVERIFY(saved(writer, disk.path(), first));
        const QByteArray before = testing::readFile(fileIn(disk.path(), writer));
        QVERIFY(before.size() < 16 * 1024);

        QVERIFY(disk.fill());
        QVERIFY(!saved(writer, disk.path(), payloadWith(2, 1, 2)));
        QCOMPARE(testing::readFile(fileIn(disk.path(), writer)), before);
        QCOMPARE(loaded(writer, disk.path()), std::optional(first));

        disk.makeRoom();
        QVERIFY(saved(writer, disk.path(), payloadWith(2, 1, 2)));
        QCOMPARE(loaded(writer, disk.path()), std::optional(payloadWith(2, 1, 2)));
    }

    void refusedWriteKeepsThePreviousFile_data() {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("limit");
        QTest::newRow("snapshot, nothing written") << Writer::snapshot << 0;
        QTest::newRow("snapshot, cut short") << Writer::snapshot << 300;
        QTest::newRow("mirror, nothing written") << Writer::mirror << 0;
        QTest::newRow("mirror, cut short") << Writer::mirror << 300;
    }
    void refusedWriteKeepsThePreviousFile() {
        QFETCH(Writer, writer);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const CachedWeatherPayload first = payloadWith(1, 1, 2);
        QVERIFY(saved(writer, dir.path(), first));
        const QByteArray before = testing::readFile(fileIn(dir.path(), writer));
        {
            FileSizeLimit full(limit);
            QVERIFY(!saved(writer, dir.path(), payloadWith(2, 1, 2)));
        }
        QCOMPARE(testing::readFile(fileIn(dir.path(), writer)), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(fileIn(dir.path(), writer)).fileName()});
    }

    void refusedSnapshotWriteReachesTheUser() {
        StoreHarness harness;
        const auto store = harness.makeStore();
        QVERIFY(!store->lastError());
        const QByteArray before = testing::readFile(harness.file);
        {
            FileSizeLimit full(0);
            store->updateSettings([](WeatherSettings& s) { s.showAlerts = !s.showAlerts; });
            store->flushSaves();
        }
        QVERIFY(store->lastError() && store->saveError() == store->lastError());
        QVERIFY2(store->lastError()->contains(harness.file), qPrintable(*store->lastError()));
        QCOMPARE(testing::readFile(harness.file), before);

        // The state that failed is written by the next save, although nothing changed since.
        store->persist();
        store->flushSaves();
        QVERIFY(!store->saveError());
        QCOMPARE(WeatherCache(harness.file).load().settings, store->settings());
    }

    // Both must reach the user: the save that failed, and where their unreadable places were kept.
    void unreadableSnapshotSetAsideAndRefusedSave() {
        StoreHarness harness;
        QVERIFY(QDir().mkpath(QFileInfo(harness.file).absolutePath()));
        QFile unreadable(harness.file);
        QVERIFY(unreadable.open(QIODevice::WriteOnly) && unreadable.write("{\"locations\": 7}") > 0);
        unreadable.close();
        std::unique_ptr<WeatherStore> store;
        {
            FileSizeLimit full(0);
            store = harness.makeStore();
        }
        QVERIFY(store->lastError());
        const QString text = *store->lastError();
        QVERIFY2(text.contains(QStringLiteral("Could not save the weather snapshot to ") + harness.file),
                 qPrintable(text));
        const QStringList copies =
            QFileInfo(harness.file).dir().entryList({QStringLiteral("*.unreadable-*")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY2(text.contains(QFileInfo(harness.file).dir().filePath(copies.first())), qPrintable(text));
        QCOMPARE(store->saveError(), store->lastError());

        store->persist();
        store->flushSaves();
        QVERIFY(!store->saveError());
        QCOMPARE(WeatherCache(harness.file).read().status, WeatherCacheReading::Status::loaded);
    }

    // A mirror folder the program may not write: the user is told, and the deletion still holds after a
    // restart although the mirror keeps the place.
    void refusedMirrorWriteReachesTheUserAndKeepsTheDeletion() {
        StoreHarness harness;
        const QString folder = harness.dir->filePath(QStringLiteral("Sync"));
        ReadOnlyFolder sync(folder);
        if (!sync.usable())
            QSKIP("root ignores folder permissions, and the read-only tmpfs could not be mounted (needs "
                  "CAP_SYS_ADMIN)");
        const QString mirrorFile = QDir(folder).filePath(QStringLiteral("mirror.json"));
        harness.save(payloadWith(4));
        const QUuid deleted = harness.makeStore()->savedLocations().constFirst().id;
        {
            const auto store = storeOver(harness, mirrorFile);
            QVERIFY(!store->lastError());
            sync.makeReadOnly();
            harness.clock->advance(60);
            store->deleteSavedLocations({0});
            store->flushSaves();
            QCOMPARE(store->lastError(), std::optional(WeatherStore::mirrorSaveErrorText()));
            QCOMPARE(store->saveError(), std::optional(WeatherStore::mirrorSaveErrorText()));
        }
        const auto restarted = storeOver(harness, mirrorFile);
        QVERIFY(!lists(*restarted, deleted));
        QCOMPARE(restarted->savedLocations().size(), 2);

        // With sync off the mirror is not written, so nothing is reported.
        restarted->updateSettings([](WeatherSettings& s) { s.useICloudSync = false; });
        restarted->persist();
        restarted->flushSaves();
        QVERIFY(!restarted->saveError());
    }

    // Kills at random moments while places are deleted one by one: every place the snapshot file lacks after
    // the kill (a deletion that returned, or one killed between the snapshot and the mirror write) is still
    // gone at the next start. NIMBRA_DELETION_TRIALS sets the number of trials.
    void deletionsSurviveAKillAtAnyMoment() {
        const int trials = qEnvironmentVariableIsSet("NIMBRA_DELETION_TRIALS")
                               ? qEnvironmentVariableIntValue("NIMBRA_DELETION_TRIALS")
                               : 6;
        const CachedWeatherPayload start = payloadWith(40, 1, 2);
        int deletions = 0;
        int survived = 0;
        for (int trial = 0; trial < trials; ++trial) {
            StoreHarness harness;
            const QString mirrorFile = harness.dir->filePath(QStringLiteral("Sync/mirror.json"));
            harness.save(start);
            QVERIFY(LocationSyncStore(std::make_shared<UbiquitousKeyValueStoreFile>(mirrorFile)).save(start));

            QProcess deleter;
            deleter.start(QStringLiteral(NIMBRA_STORE_DELETER), {harness.file, mirrorFile});
            QVERIFY(deleter.waitForReadyRead(20000));
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 600)));
            // It may have deleted every place already.
            if (deleter.state() != QProcess::NotRunning) {
                deleter.kill();
                QVERIFY(deleter.waitForFinished(5000));
            }
            const QList<QByteArray> lines = deleter.readAllStandardOutput().split('\n');
            QCOMPARE(lines.constFirst(), QByteArray("ready"));

            QSet<QUuid> deleted;
            for (const WeatherLocation& l : start.locations)
                deleted.insert(l.id);
            for (const WeatherLocation& l : WeatherCache(harness.file).load().locations)
                deleted.remove(l.id);
            for (const QByteArray& line : lines.mid(1)) {
                if (!line.isEmpty())
                    QVERIFY(deleted.contains(QUuid::fromString(QString::fromLatin1(line))));
            }
            const auto restarted = storeOver(harness, mirrorFile);
            for (const QUuid& id : std::as_const(deleted))
                survived += !lists(*restarted, id);
            deletions += int(deleted.size());
        }
        qInfo("%d trials: %d of %d deletions survived", trials, survived, deletions);
        QCOMPARE(survived, deletions);
    }
};

QTEST_GUILESS_MAIN(DiskFailuresTest)
#include "tst_disk_failures.moc"
