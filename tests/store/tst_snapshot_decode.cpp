// Decoding a snapshot reads its hourly samples straight from the bytes where they are in the writer's form.
// The result must be the one decoding the whole text through Qt's tree gives, for any bytes: the same
// records (the samples' doubles to the bit), the same dropped entries, the same error.
#include "../../bench/LargeSnapshot.h"
#include "SnapshotHourly.h"
#include "SnapshotOutline.h"
#include "StoreTestData.h"
#include "TestSupport.h"

#include <QDir>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTest>

#include <bit>

using namespace nimbra;

namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b);
}

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || sameBits(*a, *b));
}

bool identical(const WeatherSample& a, const WeatherSample& b) {
    return a == b && a.date.timeSpec() == b.date.timeSpec() && sameBits(a.temperatureC, b.temperatureC) &&
           sameBits(a.apparentTemperatureC, b.apparentTemperatureC) && sameBits(a.humidity, b.humidity) &&
           sameBits(a.windKph, b.windKph) &&
           sameBits(a.precipitationProbability, b.precipitationProbability) &&
           sameBits(a.precipitationIntensityMmPerHour, b.precipitationIntensityMmPerHour);
}

template <typename Forecast> bool identicalSamples(const Forecast& a, const Forecast& b) {
    if (a.current.has_value() != b.current.has_value() || (a.current && !identical(*a.current, *b.current)) ||
        a.hourly.size() != b.hourly.size() || a.hourly.capacity() != b.hourly.capacity())
        return false;
    for (qsizetype i = 0; i < a.hourly.size(); ++i) {
        if (!identical(a.hourly[i], b.hourly[i]))
            return false;
    }
    return true;
}

// Equal payloads whose samples are the same to the bit (equality takes 0.0 for -0.0).
bool identicalSamples(const CachedWeatherPayload& a, const CachedWeatherPayload& b) {
    if (a.selectedForecast && !identicalSamples(*a.selectedForecast, *b.selectedForecast))
        return false;
    for (auto it = a.forecasts.cbegin(); it != a.forecasts.cend(); ++it) {
        if (!identicalSamples(it.value(), b.forecasts.value(it.key())))
            return false;
    }
    for (auto it = a.providerForecasts.cbegin(); it != a.providerForecasts.cend(); ++it) {
        const QList<ProviderForecast> other = b.providerForecasts.value(it.key());
        for (qsizetype i = 0; i < it.value().size(); ++i) {
            if (!identicalSamples(it.value()[i], other[i]))
                return false;
        }
    }
    return true;
}

// Empty when decode() and decodeThroughTree() agree on `bytes`.
QString disagreement(const QByteArray& bytes) {
    QStringList fastDropped, treeDropped;
    const auto fast = CachedWeatherPayload::decode(bytes, &fastDropped);
    const auto tree = CachedWeatherPayload::decodeThroughTree(bytes, &treeDropped);
    if (bool(fast) != bool(tree) || fast.error != tree.error)
        return QStringLiteral("error \"%1\", through the tree \"%2\"").arg(fast.error, tree.error);
    if (fastDropped != treeDropped)
        return QStringLiteral("dropped %1, through the tree %2")
            .arg(fastDropped.join(u"; "), treeDropped.join(u"; "));
    if (fast && (!(*fast == *tree) || !identicalSamples(*fast, *tree)))
        return QStringLiteral("decoded to other records");
    return {};
}

#define VERIFY_AGREES(bytes)                                                                                 \
    do {                                                                                                     \
        const QString problem_ = disagreement(bytes);                                                        \
        QVERIFY2(problem_.isEmpty(), qPrintable(problem_));                                                  \
    } while (false)

// How many hourly lists were read from the bytes rather than through the tree.
qsizetype listsReadAhead(const QByteArray& bytes) {
    const auto ahead = readHourlyAhead(bytes);
    if (!ahead)
        return 0;
    qsizetype count = ahead->hourly.selectedForecast ? 1 : 0;
    for (const auto& samples : ahead->hourly.forecasts)
        count += samples ? 1 : 0;
    for (const auto& list : ahead->hourly.providerForecasts) {
        for (const auto& samples : list)
            count += samples ? 1 : 0;
    }
    return count;
}

qsizetype hourlyListCount(const CachedWeatherPayload& payload) {
    qsizetype count = payload.forecasts.size() + (payload.selectedForecast ? 1 : 0);
    for (const auto& list : payload.providerForecasts)
        count += list.size();
    return count;
}

QByteArray smallSnapshot() {
    CachedWeatherPayload payload = storetest::payloadWith(3, 2, 4);
    // Numbers of every size the writer has a form for.
    QList<WeatherSample>& hourly = payload.forecasts[storetest::idFor(1)].hourly;
    hourly[0].temperatureC = -0.0;
    hourly[1].temperatureC = 1e21;
    hourly[1].humidity = 1.5e-7;
    hourly[2].temperatureC = 9007199254740993.0;
    hourly[2].windKph = -123456.789;
    hourly[3].temperatureC = 1e-300;
    return *payload.encoded();
}

// `bytes` with the `n`th occurrence of `from` (counted from 0) replaced by `to`.
QByteArray replacedAt(QByteArray bytes, const QByteArray& from, const QByteArray& to, int n = 0) {
    qsizetype at = -1;
    for (int i = 0; i <= n; ++i) {
        at = bytes.indexOf(from, at + 1);
        if (at < 0)
            return {};
    }
    return bytes.replace(at, from.size(), to);
}

} // namespace

class SnapshotDecodeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.info=false")); }

    void readsWrittenSnapshotsAhead() {
        const CachedWeatherPayload large = benchdata::largeSnapshot(3);
        const QByteArray bytes = *large.encoded();
        VERIFY_AGREES(bytes);
        // Every hourly list of a written snapshot takes the short way.
        QCOMPARE(listsReadAhead(bytes), hourlyListCount(large));
        const auto decoded = CachedWeatherPayload::decode(bytes);
        QVERIFY(decoded);
        QVERIFY(*decoded == large);

        const CachedWeatherPayload small = storetest::payloadWith(20, 5, 48);
        VERIFY_AGREES(*small.encoded());
        QCOMPARE(listsReadAhead(*small.encoded()), hourlyListCount(small));

        const QByteArray unusual = smallSnapshot();
        VERIFY_AGREES(unusual);
        // 1e-300 is left to the tree, and with it that one forecast's list.
        QCOMPARE(listsReadAhead(unusual), hourlyListCount(storetest::payloadWith(3, 2, 4)) - 1);
    }

    void agreesOnTheFixtures() {
        const QDir folder(testing::testDataPath(QStringLiteral("snapshot")));
        const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
        QVERIFY(names.size() >= 3);
        qsizetype readAhead = 0;
        for (const QString& name : names) {
            const QByteArray bytes = testing::readFile(folder.filePath(name));
            QVERIFY(!bytes.isEmpty());
            VERIFY_AGREES(bytes);
            readAhead += listsReadAhead(bytes);
            // Also after the writer has saved them once.
            const auto decoded = CachedWeatherPayload::decode(bytes);
            if (decoded)
                VERIFY_AGREES(*decoded->encoded());
        }
        QVERIFY(readAhead > 0);
    }

    void agreesOnUnusualText_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("occurrence");
        const auto row = [](const char* name, const QByteArray& from, const QByteArray& to, int n = 0) {
            QTest::newRow(name) << from << to << n;
        };
        row("members of a sample reordered",
            "{\"apparentTemperatureC\":", "{\"condition\":\"clear\",\"apparentTemperatureC\":", 3);
        row("unknown member in a sample", "\"windKph\":", "\"dewPointC\":3,\"windKph\":", 5);
        row("member of a sample twice", "\"windKph\":", "\"windKph\":1,\"windKph\":", 5);
        row("escape in a date", "T13:00:00Z\"", "T13:00:00\\u005a\"", 1);
        row("escape in a condition", "\"condition\":\"", "\"condition\":\"\\u0063", 4);
        row("escape in a sample's key", "\"humidity\":", "\"humidit\\u0079\":", 4);
        row("escape in a forecast's key", "\"hourly\":", "\"hourl\\u0079\":", 1);
        row("escape in a top-level key", "\"forecasts\":", "\"forec\\u0061sts\":");
        row("null optional", "\"windKph\":", "\"windKph\":null,\"x\":", 7);
        row("null required", "\"temperatureC\":", "\"temperatureC\":null,\"x\":", 7);
        row("malformed date in an hour", "T13:00:00Z\"", "T25:00:00Z\"", 1);
        row("malformed date in the selected forecast", "T13:00:00Z\"", "T25:00:00Z\"", 0);
        row("unknown condition", "\"condition\":\"", "\"condition\":\"x", 4);
        row("number as a string", "\"temperatureC\":", "\"temperatureC\":\"1\",\"x\":", 6);
        row("hourly twice", "\"hourly\":", "\"hourly\":[],\"hourly\":", 2);
        row("hourly null", "\"hourly\":", "\"hourly\":null,\"x\":", 2);
        row("hourly an object", "\"hourly\":", "\"hourly\":{},\"x\":", 2);
        row("white space", "\"hourly\":[", "\"hourly\" :\n[ ", 2);
        row("forecasts not a table", "\"forecasts\":[", "\"forecasts\":{\"x\":[");
        row("odd table", "\"forecasts\":[", "\"forecasts\":[\"x\",");
        row("key not an id", "\"forecasts\":[\"", "\"forecasts\":[\"x");
        row("forecast not an object", "\"forecasts\":[",
            "\"forecasts\":[\"00000000-0000-4000-8000-000000000009\",7,");
        row("provider list not an array", "\"providerForecasts\":[",
            "\"providerForecasts\":[\"00000000-0000-4000-8000-000000000009\",{},");
        row("key twice", "\"forecasts\":[", "\"forecasts\":[\"00000000-0000-4000-8000-000000000002\",{},");
        row("malformed location of a forecast", "\"latitude\":", "\"latitude\":\"north\",\"x\":", 1);
        row("malformed place", "\"locations\":[{\"", "\"locations\":[{\"id\":1,\"");
        row("top-level key twice", "\"settings\":", "\"settings\":{},\"settings\":");
        row("number of another form", "\"temperatureC\":", "\"temperatureC\":-0,\"x\":", 9);
        row("number with a large exponent", "\"temperatureC\":", "\"temperatureC\":1E+299,\"x\":", 9);
        row("number too large", "\"temperatureC\":", "\"temperatureC\":1e999,\"x\":", 9);
        row("number with a plus", "\"temperatureC\":", "\"temperatureC\":+1,\"x\":", 9);
        row("byte order mark", "{\"accuracyScores\"", "\xef\xbb\xbf{\"accuracyScores\"");
        row("not UTF-8", "Place 2", "Place \xff");
        row("control character", "Place 2", "Place\t2");
        row("deep nesting", "\"alerts\":[]",
            "\"alerts\":[" + QByteArray(300, '[') + QByteArray(300, ']') + "]");
        row("garbage after", "\"settings\":", "\"settings\":{}} x", 0);
    }

    void agreesOnUnusualText() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, occurrence);
        const QByteArray bytes = replacedAt(smallSnapshot(), from, to, occurrence);
        QVERIFY2(!bytes.isEmpty(), "no such text to replace");
        VERIFY_AGREES(bytes);
    }

    void agreesOnCutText() {
        const QByteArray bytes = smallSnapshot();
        for (qsizetype size = 0; size < bytes.size(); size += 7)
            VERIFY_AGREES(bytes.first(size));
    }

    void agreesOnChangedBytes() {
        const QByteArray bytes = smallSnapshot();
        QRandomGenerator random(7);
        static constexpr char replacements[] = {' ', '"', '\\', ',', ':', '{', '}', '[',    ']', '0',
                                                '5', '-', '.',  'e', 'n', 'Z', 'x', '\x80', '\0'};
        for (int i = 0; i < 3000; ++i) {
            QByteArray changed = bytes;
            const qsizetype at = random.bounded(changed.size());
            const char c = replacements[random.bounded(int(sizeof replacements))];
            switch (i % 3) {
            case 0:
                changed[at] = c;
                break;
            case 1:
                changed.insert(at, c);
                break;
            default:
                changed.remove(at, 1 + random.bounded(8));
            }
            VERIFY_AGREES(changed);
        }
    }

    void launchPartsAgreeWithTheWhole() {
        // The launch decodes its outline's parts with the same decoder: the tables come out whole.
        const QByteArray bytes = smallSnapshot();
        const auto outline = SnapshotOutline::of(bytes);
        QVERIFY(outline);
        const auto whole = CachedWeatherPayload::decodeThroughTree(bytes);
        QVERIFY(whole);
        const ForecastTables tables = outline->tables();
        CachedWeatherPayload parts = *whole;
        parts.forecasts = tables.forecasts;
        parts.providerForecasts = tables.providerForecasts;
        QVERIFY(parts == *whole);
        QVERIFY(identicalSamples(parts, *whole));
    }
};

QTEST_GUILESS_MAIN(SnapshotDecodeTest)
#include "tst_snapshot_decode.moc"
