#include "LocationSyncStore.h"
#include "StoreTestData.h"
#include "TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/stat.h>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

CachedWeatherPayload withPlaces(const QList<WeatherLocation>& places) {
    CachedWeatherPayload payload;
    payload.locations = places;
    return payload;
}

} // namespace

class LocationSyncTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mergeUnitesPlaces_data() {
        QTest::addColumn<QList<WeatherLocation>>("remote");
        QTest::addColumn<QStringList>("names");

        const WeatherLocation berlin = place(3, QStringLiteral("Berlin"), 52.5, 13.4);
        WeatherLocation renamed = berlin;
        renamed.name = QStringLiteral("Berlin Mitte");
        WeatherLocation renamedLater = renamed;
        renamedLater.updatedAt = kNoon.addSecs(60);
        WeatherLocation hereElsewhere = currentPlace(1, QStringLiteral("Oslo"), 59.9, 10.7);
        hereElsewhere.updatedAt = kNoon.addDays(1);

        QTest::newRow("sorted by name, case ignored, numbers by value")
            << QList{place(5, "Zone 2", 2, 2), place(4, "aachen", 50.8, 6.1)}
            << QStringList{"Leeds", "aachen", "Berlin", "Zone 2", "Zone 10"};
        QTest::newRow("equal date keeps local")
            << QList{renamed} << QStringList{"Leeds", "Berlin", "Zone 10"};
        QTest::newRow("later remote date wins")
            << QList{renamedLater} << QStringList{"Leeds", "Berlin Mitte", "Zone 10"};
        QTest::newRow("another machine's current location is not imported")
            << QList{currentPlace(9, "Atlanta", 33.7, -84.4), hereElsewhere}
            << QStringList{"Leeds", "Berlin", "Zone 10"};
    }

    void mergeUnitesPlaces() {
        QFETCH(QList<WeatherLocation>, remote);
        const CachedWeatherPayload local =
            withPlaces({currentPlace(1), place(2, "Zone 10", 1, 1), place(3, "Berlin", 52.5, 13.4)});
        QCOMPARE(namesOf(LocationSyncStore::merge(local, std::nullopt).locations),
                 (QStringList{"Leeds", "Zone 10", "Berlin"}));
        QTEST(namesOf(LocationSyncStore::merge(local, withPlaces(remote), QLocale::c()).locations), "names");
    }

    void mergeTakesOnlyPlacesAndAMissingSelection() {
        CachedWeatherPayload local = payloadWith(2);
        CachedWeatherPayload remote = payloadWith(3);
        remote.settings.temperatureUnit = TemperatureUnit::celsius;
        remote.settings.menuBarLocationID = idFor(3);
        remote.forecasts.clear();

        CachedWeatherPayload merged = LocationSyncStore::merge(local, remote);
        QCOMPARE(merged.locations.size(), 3);
        merged.locations = local.locations;
        QCOMPARE(merged, local);

        local.settings.menuBarLocationID.reset();
        QCOMPARE(LocationSyncStore::merge(local, remote).settings.menuBarLocationID, std::optional(idFor(3)));
    }

    // A place deleted here stays deleted when the mirror's copy is not newer than the deletion; a copy
    // changed later (on another machine) comes back.
    void mergeRespectsDeletionsNewerThanTheMirrorsCopy() {
        CachedWeatherPayload local = withPlaces({currentPlace(1), place(3, "Berlin", 52.5, 13.4)});
        local.deletedLocations = {{idFor(4), kNoon.addSecs(60)}, {idFor(5), kNoon}};
        const CachedWeatherPayload remote =
            withPlaces({place(3, "Berlin", 52.5, 13.4), place(4, "Oslo", 59.9, 10.7, "Norway", false, kNoon),
                        place(5, "Paris", 48.85, 2.35), place(6, "Rome", 41.9, 12.5, "Italy", false, kNoon),
                        place(4, "Oslo", 59.9, 10.7, "Norway", false, kNoon.addSecs(60))});
        QCOMPARE(namesOf(LocationSyncStore::merge(local, remote).locations),
                 (QStringList{"Leeds", "Berlin", "Rome"}));
        CachedWeatherPayload changedLater = remote;
        changedLater.locations[1].updatedAt = kNoon.addSecs(61);
        changedLater.locations.removeLast();
        QCOMPARE(namesOf(LocationSyncStore::merge(local, changedLater).locations),
                 (QStringList{"Leeds", "Berlin", "Oslo", "Rome"}));
    }

    // The records travel in the snapshot's own bytes: a file without them reads as before and is written as
    // before, and a malformed record is dropped alone.
    void deletionRecordsKeepOlderFilesReadable() {
        const CachedWeatherPayload plain = payloadWith(2);
        QVERIFY(!plain.encoded().value->contains("deletedLocations"));
        CachedWeatherPayload withDeletions = plain;
        withDeletions.deletedLocations = {{idFor(8), kNoon.addSecs(5)}, {idFor(9), kNoon}};
        QCOMPARE(CachedWeatherPayload::decode(*withDeletions.encoded()).value, std::optional(withDeletions));

        QJsonObject o = withDeletions.toJson();
        QJsonArray records = o.value(u"deletedLocations").toArray();
        records.insert(0, QJsonObject{{"id", "not an id"}, {"deletedAt", "2025-03-10T12:00:00Z"}});
        o.insert(QStringLiteral("deletedLocations"), records);
        QStringList dropped;
        const auto read = CachedWeatherPayload::decode(QJsonDocument(o).toJson(), &dropped);
        QCOMPARE(read.value->deletedLocations, withDeletions.deletedLocations);
        QCOMPARE(dropped.size(), 1);

        // Newest first, one per place, at most the limit.
        QList<QUuid> many;
        for (int i = 0; i < LocationDeletion::maximumCount + 5; ++i)
            many.append(idFor(1000 + i));
        QList<LocationDeletion> kept =
            LocationDeletion::recorded({{idFor(9), kNoon}}, many, kNoon.addSecs(1));
        kept = LocationDeletion::recorded(kept, {idFor(1000)}, kNoon.addSecs(2));
        QCOMPARE(kept.size(), LocationDeletion::maximumCount);
        QCOMPARE(kept.constFirst(), (LocationDeletion{idFor(1000), kNoon.addSecs(2)}));
        QCOMPARE(std::count_if(kept.cbegin(), kept.cend(), [](const auto& r) { return r.id == idFor(1000); }),
                 1);
    }

    void mirrorStoresTheSnapshotBytes() {
        auto memory = std::make_shared<UbiquitousKeyValueStoreInMemory>();
        const LocationSyncStore sync(memory);
        QVERIFY(!sync.load() && !sync.loadPlaces());
        sync.save(payloadWith(2));
        QCOMPARE(sync.load(), std::optional(payloadWith(2)));
        // What a launch merges: the places and settings alone.
        CachedWeatherPayload places = payloadWith(2);
        places.forecasts.clear();
        places.providerForecasts.clear();
        places.selectedForecast.reset();
        places.accuracyScores.clear();
        QCOMPARE(sync.loadPlaces(), std::optional(places));

        CachedWeatherPayload broken = payloadWith(2);
        broken.locations[1].latitude = std::numeric_limits<double>::infinity();
        sync.save(broken);
        QCOMPARE(memory->writeCount(), 1);
        QCOMPARE(memory->synchronizeCount(), 1);

        memory->setData("[1, 2]", LocationSyncStore::payloadKey);
        QVERIFY(!sync.load() && !sync.loadPlaces());
        memory->setData(R"({"locations": [7]})", LocationSyncStore::payloadKey);
        QVERIFY(!sync.load() && !sync.loadPlaces());
    }

    void fileStoreKeepsEntriesPrivateAcrossInstances() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Nimbra/Sync/store.json"));
        QVERIFY(UbiquitousKeyValueStoreFile(path).setData(QByteArray("\x00{}", 3), QStringLiteral("a")));
        QVERIFY(UbiquitousKeyValueStoreFile(path).setData("second", QStringLiteral("b")));
        const UbiquitousKeyValueStoreFile reopened(path);
        QCOMPARE(reopened.data(QStringLiteral("a")), std::optional(QByteArray("\x00{}", 3)));
        QCOMPARE(reopened.data(QStringLiteral("b")), std::optional(QByteArray("second")));
        QCOMPARE(int(QFile::permissions(path)) & 0x7077,
                 int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        // The format other machines' copies read: a compact JSON object of base64 values.
        const QJsonObject expected{{"a", QString::fromLatin1(QByteArray("\x00{}", 3).toBase64())},
                                   {"b", QStringLiteral("c2Vjb25k")}};
        QCOMPARE(testing::readFile(path), QJsonDocument(expected).toJson(QJsonDocument::Compact));
        const QString quoted = QStringLiteral("say \"hi\"\\ \u00E9");
        QVERIFY(UbiquitousKeyValueStoreFile(path).setData("third", quoted));
        QCOMPARE(UbiquitousKeyValueStoreFile(path).data(quoted), std::optional(QByteArray("third")));
        QCOMPARE(UbiquitousKeyValueStoreFile(path).data(QStringLiteral("b")),
                 std::optional(QByteArray("second")));
    }

    // A save of what the file holds already leaves it alone (no rewrite and flush at every launch); a file
    // changed behind the store's back, or opened to others, is written again, read first for the keys it
    // holds beside the one written.
    void fileStoreRewritesOnlyWhatChanged() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Nimbra/Sync/store.json"));
        const auto inode = [&path] {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
        };
        UbiquitousKeyValueStoreFile store(path);
        QVERIFY(store.setData("places", QStringLiteral("a")));
        const ino_t first = inode();
        QVERIFY(store.setData("places", QStringLiteral("a")));
        QCOMPARE(inode(), first);
        QVERIFY(UbiquitousKeyValueStoreFile(path).setData("places", QStringLiteral("a")));
        QCOMPARE(inode(), first);

        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther);
        QVERIFY(store.setData("places", QStringLiteral("a")));
        QVERIFY(inode() != first);
        QCOMPARE(int(QFile::permissions(path)) & 0x7077,
                 int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        QFile other(path);
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write("{}");
        other.close();
        QVERIFY(store.setData("places", QStringLiteral("a")));
        QCOMPARE(UbiquitousKeyValueStoreFile(path).data(QStringLiteral("a")),
                 std::optional(QByteArray("places")));

        // Other keys are kept: one another program added since this store wrote, and one this store wrote.
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write(R"({"a":"cGxhY2Vz","c":"dGhlaXJz"})");
        other.close();
        QVERIFY(store.setData("moved", QStringLiteral("a")));
        QVERIFY(store.setData("more", QStringLiteral("b")));
        const UbiquitousKeyValueStoreFile reopened(path);
        QCOMPARE(reopened.data(QStringLiteral("a")), std::optional(QByteArray("moved")));
        QCOMPARE(reopened.data(QStringLiteral("b")), std::optional(QByteArray("more")));
        QCOMPARE(reopened.data(QStringLiteral("c")), std::optional(QByteArray("theirs")));
    }
};

QTEST_GUILESS_MAIN(LocationSyncTest)
#include "tst_location_sync.moc"
