// The snapshot's bytes are written without a QJsonObject tree, but the files must stay the bytes Qt's
// compact JSON gave for the tree: the widget host, older versions and the save-only-what-changed check
// compare them. Every comparison here is against QJsonDocument::toJson(Compact) of the same values.
#include "CachedWeatherPayload.h"
#include "ConsensusEngine.h"
#include "Iso8601.h"
#include "JsonWriter.h"
#include "Log.h"
#include "SnapshotEncoder.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "UUIDText.h"
#include "WeatherFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <cstring>
#include <limits>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Numbers where Qt's text is easy to get wrong: signs of zero, the integer/double boundary at 2^53, the
// switch between plain and exponent notation, three-digit exponents, sums that do not round-trip short.
const QList<double> kAwkwardNumbers = {
    0.0,
    -0.0,
    1.0,
    -3.0,
    0.1 + 0.2,
    1e-7,
    1e21,
    -1e21,
    1e15,
    1e16,
    9e15,
    9.1e15,
    -9.1e15,
    9007199254740992.0,
    9007199254740994.0,
    -9007199254740992.0,
    18446744073709551616.0,
    123456789012345678.0,
    1e-4,
    0.00012345,
    1.2345e-5,
    0.001,
    1e100,
    1.5e-300,
    5e-324,
    std::numeric_limits<double>::max(),
    std::numeric_limits<double>::min(),
    12.5,
    -273.15,
    0.7,
    1e-99,
    1e-100,
    1234567.8,
    99.99999999999999,
    999999.999,
    -999999.999,
    999999.9995,
    1000000.5,
    0.0005,
    -0.001,
    0.999,
    12.3 + 1e-12,
    0.6140000000000001,
    2.5e-8,
};

// Quotes, backslashes, every control character, DEL, two- to four-byte UTF-8 and surrogates without their
// partners.
QList<QString> awkwardTexts() {
    QString controls;
    for (char16_t c = 0; c < 0x20; ++c)
        controls.append(QChar(c));
    return {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("say \"hi\""),
        QStringLiteral("C:\\path\\"),
        controls,
        QStringLiteral("tab\there\r\nnext"),
        QString(QChar(0x7f)),
        QStringLiteral("Zürich, Île-de-France, Москва, 東京"),
        QStringLiteral("€ and 😀 and 𝄞"),
        QString(QChar(0xd83d)),
        QString(QChar(0xd83d)) + QLatin1Char('a'),
        QString(QChar(0xdc00)) + QChar(0xd800),
        QString(QChar(0xd800)) + QChar(0xd800) + QChar(0xdc00),
        QString(QChar(0x2028)) + QChar(0xfeff) + QChar(0xffff),
        QStringLiteral("ÿ\u0080\u07ff\u0800"),
    };
}

QByteArray compact(const QJsonValue& value) {
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // A lone value: written inside an array, the brackets taken off.
    const QByteArray inArray = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return inArray.mid(1, inArray.size() - 2);
}

template <typename Write> QByteArray written(Write write) {
    JsonWriter out;
    write(out);
    return out.take();
}

// The bytes, or the error that stopped them: the tree encoder and the writer must agree on both.
template <typename Encode> QString outcome(Encode encode) {
    try {
        return QString::fromUtf8(encode());
    } catch (const EncodingError& e) {
        return QStringLiteral("EncodingError: ") + e.message();
    }
}

template <typename Record> QString treeOutcome(const Record& record) {
    return outcome([&] { return compact(record.toJson()); });
}

template <typename Record> QString writerOutcome(const Record& record) {
    return outcome([&] { return written([&](JsonWriter& w) { record.writeJson(w); }); });
}

QString describe(double value) {
    return QString::number(value, 'g', 17);
}

// Records with awkward values, from a fixed seed. With `poison` set, some numbers are not finite and some
// dates lie beyond year 9999 or are invalid: values that have no JSON form.
class AwkwardRecords {
public:
    AwkwardRecords(quint32 seed, bool poison) : m_random(seed), m_poison(poison), m_texts(awkwardTexts()) {}

    double number() {
        if (m_poison && chance(3))
            return chance(50) ? kNaN : (chance(50) ? kInfinity : -kInfinity);
        switch (m_random.bounded(4)) {
        case 0:
            return kAwkwardNumbers[m_random.bounded(int(kAwkwardNumbers.size()))];
        case 1:
            return anyFiniteDouble();
        case 2:
            return decimalText();
        default: // what a provider sends: a few decimals
            return std::round((m_random.bounded(120.0) - 60) * 1000) / std::pow(10, m_random.bounded(4));
        }
    }

    double anyFiniteDouble() {
        for (;;) {
            const quint64 bits = m_random.generate64();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                return value;
        }
    }

    // A short decimal at any scale, as a parser would read it.
    double decimalText() {
        const QString text =
            QStringLiteral("%1e%2").arg(m_random.bounded(1, 100000000)).arg(m_random.bounded(-40, 40));
        return text.toDouble();
    }

    std::optional<double> maybeNumber() { return chance(30) ? std::nullopt : std::optional(number()); }

    QString text() {
        if (chance(50))
            return m_texts[m_random.bounded(int(m_texts.size()))];
        QString out;
        const int length = m_random.bounded(12);
        for (int i = 0; i < length; ++i)
            out.append(QChar(char16_t(chance(50) ? m_random.bounded(0x80) : m_random.bounded(0x10000))));
        return out;
    }

    QDateTime date() {
        if (m_poison && chance(3))
            return chance(50) ? QDateTime() : QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC);
        // Anywhere in years 1-9999, to the millisecond (the file keeps whole seconds), some with an offset.
        constexpr qint64 first = -62135596800000;
        constexpr qint64 last = 253402300799999;
        const QDateTime utc = QDateTime::fromMSecsSinceEpoch(
            first + qint64(m_random.bounded(double(last - first))), QTimeZone::utc());
        return chance(30) ? utc.toOffsetFromUtc(3600 * m_random.bounded(-12, 14)) : utc;
    }

    std::optional<QDateTime> maybeDate() { return chance(30) ? std::nullopt : std::optional(date()); }

    template <RawValueEnum E> E pick() {
        return static_cast<E>(m_random.bounded(int(EnumNames<E>::rawValues.size())));
    }

    WeatherSample sample() {
        return {date(),        number(),      maybeNumber(),
                maybeNumber(), maybeNumber(), pick<WeatherCondition>(),
                maybeNumber(), maybeNumber()};
    }

    DailyForecast day() {
        return {date(),        number(),    number(),   pick<WeatherCondition>(),
                maybeNumber(), maybeDate(), maybeDate()};
    }

    WeatherAlert alert() {
        static const QStringList urls = {QStringLiteral("https://example.org/alert?id=1&x=\"q\"#top"),
                                         QStringLiteral("https://exämple.org/ü path?q=a b#frag%23ment")};
        std::optional<QUrl> url;
        if (!chance(30))
            url = QUrl(urls[m_random.bounded(int(urls.size()))]);
        return {
            uuid(), pick<WeatherProviderKind>(), text(), text(), pick<WeatherAlertSeverity>(), date(), date(),
            url};
    }

    WeatherLocation location() {
        return {uuid(), text(), text(), number(), number(), chance(50), chance(50), date()};
    }

    QUuid uuid() { return QUuid::createUuidV5(QUuid(), QString::number(m_random.generate64())); }

    template <typename Make> auto listOf(int most, Make make) {
        QList<decltype(make())> out;
        const int count = m_random.bounded(most + 1);
        for (int i = 0; i < count; ++i)
            out.append(make());
        return out;
    }

    ProviderForecast providerForecast() {
        return {pick<WeatherProviderKind>(),
                uuid(),
                date(),
                date(),
                text(),
                chance(30) ? std::nullopt : std::optional(sample()),
                listOf(6, [this] { return sample(); }),
                listOf(3, [this] { return day(); }),
                listOf(2, [this] { return alert(); }),
                chance(60) ? std::nullopt : std::optional(text())};
    }

    ConsensusForecast consensus() {
        std::optional<ForecastSpread> spread;
        if (!chance(30))
            spread = ForecastSpread{number(), maybeNumber(), maybeNumber()};
        return {location(),
                date(),
                chance(30) ? std::nullopt : std::optional(sample()),
                listOf(6, [this] { return sample(); }),
                listOf(3, [this] { return day(); }),
                listOf(2, [this] { return alert(); }),
                int(m_random.bounded(-1000, 1000)),
                number(),
                spread,
                text(),
                text(),
                pick<ConsensusState>()};
    }

    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }

private:
    QRandomGenerator m_random;
    bool m_poison;
    QList<QString> m_texts;
};

// The sample forecasts and their consensus, as the application builds them.
QList<ProviderForecast> fixtureForecasts() {
    return WeatherFixtures::providerForecasts(WeatherFixtures::home(), kNoon);
}

CachedWeatherPayload awkwardPayload(AwkwardRecords& make) {
    CachedWeatherPayload payload;
    for (int i = 0; i < 4; ++i) {
        const ConsensusForecast forecast = make.consensus();
        payload.locations.append(forecast.location);
        payload.forecasts.insert(forecast.location.id, forecast);
        payload.providerForecasts.insert(forecast.location.id,
                                         make.listOf(3, [&] { return make.providerForecast(); }));
    }
    if (make.chance(50))
        payload.selectedForecast =
            make.chance(50) ? payload.forecasts.value(payload.locations[1].id) : make.consensus();
    payload.accuracyScores.insert(WeatherProviderKind::metNorway,
                                  {WeatherProviderKind::metNorway, 3, make.number()});
    if (make.chance(50))
        payload.deletedLocations = {{make.uuid(), make.date()}};
    payload.settings.menuBarFontSize = make.number();
    return payload;
}

// The whole snapshot's outcome both ways, and how many forecasts the bytes hold.
void compareWithTree(const CachedWeatherPayload& payload, const QString& name) {
    qsizetype treeCount = -1;
    const QString tree = outcome([&] {
        const QJsonObject o = payload.toJson();
        treeCount = o.value(u"forecasts").toArray().size() / 2;
        return compact(o);
    });
    qsizetype writtenCount = -1;
    const auto encoded = payload.encoded(&writtenCount);
    const QString bytes =
        encoded ? QString::fromUtf8(*encoded.value) : QStringLiteral("EncodingError: ") + encoded.error;
    QVERIFY2(bytes == tree, qPrintable(name));
    if (encoded)
        QVERIFY2(writtenCount == treeCount, qPrintable(name));
    SnapshotEncoder encoder;
    const auto spliced = encoder.encode(payload);
    QVERIFY2((spliced ? QString::fromUtf8(*spliced.value)
                      : QStringLiteral("EncodingError: ") + spliced.error) == tree,
             qPrintable(name));
}

} // namespace

class SnapshotEncodingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // Left-out entries are logged by the thousand here; that logging has its own test.
        QLoggingCategory::setFilterRules(QLatin1StringView(cacheLog().categoryName()) +
                                         QStringLiteral(".warning=false"));
    }

    // Numbers, strings, identifiers, dates and nesting written by the writer against Qt's text for the same
    // values; a value with no JSON form fails with the tree writers' error and leaves nothing behind.
    void writerWritesWhatQtWrites() {
        AwkwardRecords make(2026, false);
        QList<double> numbers = kAwkwardNumbers;
        for (int i = 0; i < 20000; ++i)
            numbers.append(make.number());
        // Every thousandth around zero and below a million: the readings' usual form.
        for (int thousandths = -3000; thousandths <= 3000; ++thousandths) {
            numbers.append(thousandths / 1000.0);
            numbers.append((999'000'000 + thousandths * 331) / 1000.0);
        }
        for (const double n : numbers) {
            const QByteArray mine = written([&](JsonWriter& w) { w.number(n, QLatin1StringView("n")); });
            QVERIFY2(mine == compact(n), qPrintable(QStringLiteral("%1: wrote %2, Qt writes %3")
                                                        .arg(describe(n), QString::fromLatin1(mine),
                                                             QString::fromLatin1(compact(n)))));
        }
        for (const qint64 n : {qint64(0), qint64(-1), qint64(std::numeric_limits<int>::max()),
                               std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()})
            QCOMPARE(written([&](JsonWriter& w) { w.integer(n); }), compact(QJsonValue(n)));

        QList<QString> texts = awkwardTexts();
        for (int i = 0; i < 3000; ++i)
            texts.append(make.text());
        for (const QString& text : texts)
            QCOMPARE(written([&](JsonWriter& w) { w.string(text); }), compact(text));
        QString everyLatin1;
        for (char16_t c = 1; c < 0x100; ++c)
            everyLatin1.append(QChar(c));
        const QByteArray latin1 = everyLatin1.toLatin1();
        QCOMPARE(written([&](JsonWriter& w) { w.latin1(QLatin1StringView(latin1)); }), compact(everyLatin1));

        for (int i = 0; i < 200; ++i) {
            const QUuid id = i == 0 ? QUuid() : make.uuid();
            QCOMPARE(written([&](JsonWriter& w) { w.uuid(id); }), compact(uuidText(id)));
            const QDateTime date = make.date();
            QCOMPARE(written([&](JsonWriter& w) { w.date(date); }), compact(iso8601::format(date)));
        }
        // One writer over hours that cross days and years, going back in time, and a date it cannot write
        // between them: each day's text is its own.
        QList<QDateTime> hours;
        for (int hour = -30; hour < 30; hour += 7)
            hours.append(QDateTime(QDate(2026, 1, 1), QTime(0, 30), QTimeZone::utc()).addSecs(hour * 3600));
        hours.append(hours.first());
        const QDateTime beyond(QDate(10000, 1, 1), QTime(), QTimeZone::utc());
        QJsonArray hourTexts;
        for (const QDateTime& hour : hours)
            hourTexts.append(iso8601::format(hour));
        QCOMPARE(written([&](JsonWriter& w) {
                     w.beginArray();
                     for (const QDateTime& hour : hours) {
                         w.date(hour);
                         const qsizetype mark = w.mark();
                         QVERIFY_THROWS_EXCEPTION(EncodingError, w.date(beyond));
                         w.cutBack(mark);
                     }
                     w.endArray();
                 }),
                 compact(hourTexts));

        // Separators around empty and nested containers, keys after keys' values.
        const QJsonObject nested{
            {"a", QJsonArray{}},
            {"b", QJsonObject{}},
            {"c", QJsonArray{QJsonObject{{"d", true}, {"e", false}}, QJsonArray{1.5, "x"}}},
            {"f", QJsonObject{{"g", -0.0}}}};
        const QByteArray mine = written([](JsonWriter& w) {
            w.beginObject();
            w.array(QLatin1StringView("a"), QList<int>{}, [](JsonWriter&, int) {});
            w.key(QLatin1StringView("b"));
            w.object({});
            w.key(QLatin1StringView("c"));
            w.beginArray();
            w.beginObject();
            w.field(QLatin1StringView("d"), true);
            w.field(QLatin1StringView("e"), false);
            w.endObject();
            w.beginArray();
            w.number(1.5, QLatin1StringView("n"));
            w.string(u"x");
            w.endArray();
            w.endArray();
            w.key(QLatin1StringView("f"));
            w.raw("{\"g\":0}");
            w.endObject();
        });
        QCOMPARE(mine, compact(nested));

        // No JSON form: the same error as the tree's writers, and nothing of the value left in the bytes.
        JsonWriter out;
        out.beginArray();
        out.number(1, QLatin1StringView("n"));
        for (const double n : {kNaN, kInfinity, -kInfinity}) {
            const qsizetype mark = out.mark();
            const QString error = outcome([&] {
                out.number(n, QLatin1StringView("windKph"));
                return QByteArray();
            });
            QCOMPARE(error, outcome([&] { return compact(json::number(n, u"windKph")); }));
            QCOMPARE(out.mark(), mark);
        }
        for (const QDateTime& date : {QDateTime(), QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC),
                                      QDateTime(QDate(-1, 12, 31), QTime(23, 0), Qt::UTC)}) {
            const QString error = outcome([&] {
                out.date(date);
                return QByteArray();
            });
            QCOMPARE(error, outcome([&] { return compact(json::dateText(date)); }));
            QVERIFY(error.startsWith(QStringLiteral("EncodingError")));
        }
        out.number(2, QLatin1StringView("n"));
        out.endArray();
        QCOMPARE(out.take(), QByteArray("[1,2]"));
    }

    // Every record's writer against its tree: the application's sample forecasts and their consensus, then
    // thousands of generated records with awkward numbers and texts, empty and present optionals, and
    // (poisoned) values without a JSON form, where both must fail with the same error.
    void recordsWriteTheBytesOfTheirTrees() {
        const QList<ProviderForecast> fixtures = fixtureForecasts();
        for (const ProviderForecast& f : fixtures)
            QCOMPARE(writerOutcome(f), treeOutcome(f));
        const ConsensusForecast blended =
            ConsensusEngine::build(WeatherFixtures::home(), fixtures, {}, kNoon.addSecs(1800));
        QVERIFY(!blended.hourly.isEmpty());
        QCOMPARE(writerOutcome(blended), treeOutcome(blended));

        for (const bool poison : {false, true}) {
            AwkwardRecords make(poison ? 7 : 11, poison);
            int failures = 0;
            for (int i = 0; i < 400; ++i) {
                const QString context = QStringLiteral("record %1%2").arg(i).arg(poison ? " poisoned" : "");
                const ConsensusForecast consensus = make.consensus();
                const QString tree = treeOutcome(consensus);
                QVERIFY2(writerOutcome(consensus) == tree, qPrintable(context));
                failures += tree.startsWith(QStringLiteral("EncodingError")) ? 1 : 0;
                const ProviderForecast forecast = make.providerForecast();
                QVERIFY2(writerOutcome(forecast) == treeOutcome(forecast), qPrintable(context));
                const WeatherAlert alert = make.alert();
                QVERIFY2(writerOutcome(alert) == treeOutcome(alert), qPrintable(context));
                const WeatherLocation location = make.location();
                QVERIFY2(writerOutcome(location) == treeOutcome(location), qPrintable(context));
            }
            // The poisoned run really took the failing paths, and the clean run did not.
            QVERIFY(poison ? failures > 100 : failures == 0);
        }
    }

    // The whole snapshot, and the encoder that keeps unchanged entries, against the tree's bytes: the
    // project's snapshot files, the store's test payloads, and generated ones with entries left out and
    // places or settings that fail the save.
    void snapshotBytesAreTheTreesBytes() {
        for (const QString& file : {QStringLiteral("snapshot/one-place-sync-off.json"),
                                    QStringLiteral("snapshot/recorded-forecasts.json"),
                                    QStringLiteral("snapshot/three-places.json")}) {
            NIMBRA_READ_TEST_DATA(bytes, file);
            const auto decoded = CachedWeatherPayload::decode(bytes);
            QVERIFY2(decoded, qPrintable(file + QStringLiteral(": ") + decoded.error));
            compareWithTree(*decoded, file);
        }
        compareWithTree(CachedWeatherPayload(), QStringLiteral("empty"));
        compareWithTree(payloadWith(4, 3), QStringLiteral("store payload"));

        // A place, the settings and a deletion that cannot be written: the error names the one the tree met
        // first, then the next once that is mended.
        CachedWeatherPayload broken = payloadWith(3);
        broken.locations[2].longitude = kInfinity;
        broken.settings.menuBarIconSize = kNaN;
        broken.deletedLocations = {{idFor(7), QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)}};
        broken.forecasts[idFor(2)].confidence = kNaN;
        compareWithTree(broken, QStringLiteral("place, settings and deletion"));
        broken.locations[2].longitude = 3;
        compareWithTree(broken, QStringLiteral("settings and deletion"));
        broken.settings.menuBarIconSize = 16;
        compareWithTree(broken, QStringLiteral("deletion"));
        QVERIFY(!broken.encoded());

        int failures = 0;
        for (const bool poison : {false, true}) {
            AwkwardRecords make(poison ? 3 : 5, poison);
            for (int i = 0; i < 60; ++i) {
                const CachedWeatherPayload payload = awkwardPayload(make);
                compareWithTree(payload,
                                QStringLiteral("payload %1%2").arg(i).arg(poison ? " poisoned" : ""));
                if (QTest::currentTestFailed())
                    return;
                failures += payload.encoded() ? 0 : 1;
            }
        }
        QVERIFY(failures > 0);
    }
};

QTEST_GUILESS_MAIN(SnapshotEncodingTest)
#include "tst_snapshot_encoding.moc"
