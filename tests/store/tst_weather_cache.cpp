#include "DurableFile.h"
#include "FifoGuard.h"
#include "LocationSyncStore.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "UUIDText.h"
#include "WeatherCache.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

QByteArray bytesOf(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Replaces one element of the array under `key`.
QJsonObject withElement(QJsonObject o, const QString& key, int index, const QJsonValue& value) {
    QJsonArray array = o.value(key).toArray();
    array.replace(index, value);
    o.insert(key, array);
    return o;
}

} // namespace

class WeatherCacheTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void snapshotJsonUsesFlatDictionariesAndWholeSeconds() {
        CachedWeatherPayload payload = payloadWith(3);
        payload.selectedForecast.reset();
        payload.locations[1].updatedAt = kNoon.addMSecs(750);
        const QJsonObject json = payload.toJson();

        QVERIFY(!json.contains(u"selectedForecast"));
        const QJsonArray forecasts = json.value(u"forecasts").toArray();
        QCOMPARE(forecasts.size(), 6);
        QCOMPARE(forecasts.at(0).toString(), uuidText(idFor(1)));
        QVERIFY(forecasts.at(1).isObject() && json.value(u"providerForecasts").toArray().at(1).isArray());
        QCOMPARE(json.value(u"accuracyScores").toArray().at(0).toString(), QStringLiteral("openMeteo"));
        QCOMPARE(json.value(u"locations").toArray().at(1).toObject().value(u"updatedAt").toString(),
                 QStringLiteral("2025-03-10T12:00:00Z"));

        const auto decoded = CachedWeatherPayload::decode(bytesOf(json));
        QVERIFY2(decoded, qPrintable(decoded.error));
        payload.locations[1].updatedAt = kNoon;
        QVERIFY(*decoded == payload);
    }

    // Places and settings must read exactly or the file is unreadable; forecasts and scores can be fetched
    // again, so a bad entry of them costs only that entry.
    void readingKeepsWhatIsUsable_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("forecasts");
        QTest::addColumn<int>("dropped");

        const QJsonObject good = payloadWith(3).toJson();
        QJsonObject badPlace = good.value(u"locations").toArray().at(1).toObject();
        badPlace.insert(QStringLiteral("updatedAt"), QStringLiteral("2025-03-10T12:00:00.5Z"));
        QJsonObject badForecast = good.value(u"forecasts").toArray().at(1).toObject();
        badForecast.insert(QStringLiteral("generatedAt"), QStringLiteral("yesterday"));
        QJsonObject oddForecasts = good;
        oddForecasts.insert(QStringLiteral("forecasts"), QJsonArray{uuidText(idFor(1))});
        QJsonObject nullSettings = good;
        nullSettings.insert(QStringLiteral("settings"), QJsonValue::Null);
        // 1e399 written out: too large for a double, so Qt's parser refuses the whole text.
        QJsonObject longNumber = good.value(u"forecasts").toArray().at(1).toObject();
        longNumber.insert(QStringLiteral("extra"), QStringLiteral("long"));
        const QByteArray longNumberBytes =
            bytesOf(withElement(good, QStringLiteral("forecasts"), 1, longNumber))
                .replace("\"long\"", '1' + QByteArray(400, '0') + "e-1");

        QTest::newRow("empty object") << QByteArray("{}") << true << 0 << 0;
        QTest::newRow("good") << bytesOf(good) << true << 3 << 0;
        QTest::newRow("null settings") << bytesOf(nullSettings) << true << 3 << 0;
        QTest::newRow("truncated") << bytesOf(good).chopped(40) << false << 0 << 0;
        QTest::newRow("top-level array") << QByteArray("[]") << false << 0 << 0;
        QTest::newRow("places not an array") << QByteArray(R"({"locations":"Leeds"})") << false << 0 << 0;
        QTest::newRow("fractional date in a place")
            << bytesOf(withElement(good, QStringLiteral("locations"), 1, badPlace)) << false << 0 << 0;
        QTest::newRow("one bad forecast")
            << bytesOf(withElement(good, QStringLiteral("forecasts"), 1, badForecast)) << true << 2 << 1;
        QTest::newRow("odd forecast array") << bytesOf(oddForecasts) << true << 0 << 1;
        QTest::newRow("number out of range in a forecast") << longNumberBytes << false << 0 << 0;
    }

    void readingKeepsWhatIsUsable() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loaded);
        const QString file = m_dir.filePath(QStringLiteral("reading.json"));
        QVERIFY(writeFile(file, bytes));

        const WeatherCacheReading reading = WeatherCache(file).read();
        QCOMPARE(reading.status,
                 loaded ? WeatherCacheReading::Status::loaded : WeatherCacheReading::Status::unreadable);
        QTEST(int(reading.payload.forecasts.size()), "forecasts");
        QTEST(int(reading.droppedEntries.size()), "dropped");
        if (!loaded)
            QCOMPARE(reading.payload, CachedWeatherPayload());
        QCOMPARE(testing::readFile(file), bytes);
        // A launch reads the forecasts after the rest; it must find a file unreadable (and have the store set
        // it aside) exactly when the whole reading does.
        QCOMPARE(WeatherCache(file).readLeading().status, reading.status);
    }

    // Only a regular file within the bound is read, the snapshot as the mirror: anything else at the path is
    // unreadable without being read, and opening it never waits (a FIFO's open() waits for a writer).
    void readsOnlyARegularFileWithinTheBound_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind :
             {"fifo", "link to /dev/zero", "sparse file of 2 GiB", "growing past the bound"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void readsOnlyARegularFileWithinTheBound() {
        QFETCH(QString, kind);
        if (kind == u"growing past the bound") {
            // Empty by its size, as a file written meanwhile may be; reading stops one byte past the bound.
            QVERIFY(!readRegularFile(QStringLiteral("/proc/self/status"), 16).bytes);
            QVERIFY(readRegularFile(QStringLiteral("/proc/self/status"), 1 << 20).bytes->size() > 16);
            return;
        }
        const QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("snapshot.json"));
        std::optional<FifoGuard> fifo;
        if (kind == u"fifo") {
            fifo.emplace(file);
            QVERIFY(fifo->made());
        } else if (kind == u"link to /dev/zero") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        } else {
            QFile sparse(file);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(2) << 30));
        }
        const WeatherCacheReading reading = WeatherCache(file).readOutlined();
        QCOMPARE(reading.status, WeatherCacheReading::Status::unreadable);
        QVERIFY2(
            reading.problem.contains(kind == u"sparse file of 2 GiB" ? u"larger than" : u"not a regular"),
            qPrintable(reading.problem));
        QCOMPARE(UbiquitousKeyValueStoreFile(file).data(LocationSyncStore::payloadKey), std::nullopt);
        if (fifo)
            QVERIFY(!fifo->released());
    }

    // The widgets need the selected forecast alone; the tables are read only for a file without one.
    void loadSelectedDecodesTheTablesOnlyWhenNeeded() {
        const QString file = m_dir.filePath(QStringLiteral("selected.json"));
        CachedWeatherPayload payload = payloadWith(3);
        QVERIFY(!WeatherCache(file).save(payload));
        CachedWeatherPayload expected = payload;
        expected.forecasts.clear();
        expected.providerForecasts.clear();
        QCOMPARE(WeatherCache(file).loadSelected(), expected);

        payload.selectedForecast.reset();
        QVERIFY(!WeatherCache(file).save(payload));
        QCOMPARE(WeatherCache(file).loadSelected(), payload);
    }

    void saveCreatesFolderAndKeepsFilePrivate() {
        const QString file = m_dir.filePath(QStringLiteral("new/Nimbra/snapshot.json"));
        QVERIFY(!WeatherCache(file).save(payloadWith(2)));
        // Owner, group and other bits; the "user" bits repeat whichever applies to the test's own user.
        QCOMPARE(int(QFile::permissions(file)) & 0x7077,
                 int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(WeatherCache(file).load(), payloadWith(2));
    }

    void failedSaveLeavesPreviousFile() {
        const QString file = m_dir.filePath(QStringLiteral("kept.json"));
        const WeatherCache cache(file);
        QVERIFY(!cache.save(payloadWith(1)));
        const QByteArray before = testing::readFile(file);

        CachedWeatherPayload payload = payloadWith(2);
        payload.locations[1].latitude = std::numeric_limits<double>::quiet_NaN();
        QByteArray written("untouched");
        const auto error = cache.save(payload, &written);
        QVERIFY(error && error->code == WeatherCacheError::Code::encodingFailed);
        QCOMPARE(written, QByteArray("untouched"));
        QCOMPARE(testing::readFile(file), before);

        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("blocker")), "not a folder"));
        const auto blocked =
            WeatherCache(m_dir.filePath(QStringLiteral("blocker/x.json"))).save(payloadWith(1));
        QVERIFY(blocked && blocked->code == WeatherCacheError::Code::folderUnavailable);
        QVERIFY(blocked->description.contains(QStringLiteral("blocker")));
    }

    // Forecasts can be fetched again: one the encoder refuses is left out, and the places and every other
    // forecast are still saved. The log counts what the file holds, not what the store held.
    void refusedForecastIsLeftOutOfTheSave() {
        const QString file = m_dir.filePath(QStringLiteral("poisoned.json"));
        CachedWeatherPayload payload = payloadWith(3);
        payload.forecasts[idFor(2)].hourly[1].humidity = std::numeric_limits<double>::infinity();
        payload.selectedForecast = payload.forecasts.value(idFor(2));
        payload.providerForecasts[idFor(3)][1].issuedAt = QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC);
        payload.accuracyScores.insert(
            WeatherProviderKind::metNorway,
            {WeatherProviderKind::metNorway, 2, std::numeric_limits<double>::quiet_NaN()});

        const QByteArray bytes = *payload.encoded();
        QTest::ignoreMessage(
            QtInfoMsg,
            qPrintable(
                QStringLiteral("Weather cache saved file payload bytes=%1 forecasts=2").arg(bytes.size())));
        QVERIFY(!WeatherCache(file).save(payload));
        QCOMPARE(testing::readFile(file), bytes);
        CachedWeatherPayload expected = payload;
        expected.forecasts.remove(idFor(2));
        expected.selectedForecast.reset();
        expected.providerForecasts[idFor(3)].removeAt(1);
        expected.accuracyScores.remove(WeatherProviderKind::metNorway);
        const WeatherCacheReading reading = WeatherCache(file).read();
        QCOMPARE(reading.status, WeatherCacheReading::Status::loaded);
        QVERIFY(reading.droppedEntries.isEmpty());
        QCOMPARE(reading.payload, expected);
    }

    void killedWriterLeavesLoadableFile() {
        const QString file = m_dir.filePath(QStringLiteral("crash/snapshot.json"));
        for (int round = 0; round < 6; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(NIMBRA_SNAPSHOT_WRITER), {file});
            QVERIFY(writer.waitForReadyRead(20000));
            QCOMPARE(writer.readAllStandardOutput().trimmed(), QByteArray("ready"));
            QTest::qWait(15 + round * 37);
            QCOMPARE(writer.state(), QProcess::Running);
            writer.kill();
            QVERIFY(writer.waitForFinished(5000));

            const WeatherCacheReading reading = WeatherCache(file).read();
            QCOMPARE(reading.status, WeatherCacheReading::Status::loaded);
            QCOMPARE(reading.payload.providerForecasts.value(idFor(20)).size(), 5);
        }
    }
};

QTEST_GUILESS_MAIN(WeatherCacheTest)
#include "tst_weather_cache.moc"
