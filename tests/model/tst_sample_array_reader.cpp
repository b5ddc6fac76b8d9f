// The byte reader of hourly samples stands in for Qt's parser and WeatherSample::fromJson: whatever it takes
// it must read to the very samples the tree gives (every double to the bit), and whatever it is unsure of it
// must refuse, so that the tree decodes it instead.
#include "JsonWriter.h"
#include "SampleArrayReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace nimbra;

namespace {

const QByteArray kDate = "\"date\":\"2025-06-02T10:00:00Z\"";

bool sameBits(double a, double b) {
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b);
}

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || sameBits(*a, *b));
}

QString describe(const std::optional<double>& value) {
    return value ? QString::number(*value, 'g', 17) : QStringLiteral("none");
}

QString describe(const WeatherSample& s) {
    return QStringList{s.date.toString(Qt::ISODate),
                       describe(s.temperatureC),
                       describe(s.apparentTemperatureC),
                       describe(s.humidity),
                       describe(s.windKph),
                       rawValue(s.condition),
                       describe(s.precipitationProbability),
                       describe(s.precipitationIntensityMmPerHour)}
        .join(u' ');
}

bool identical(const WeatherSample& a, const WeatherSample& b) {
    return a.date == b.date && a.date.timeSpec() == b.date.timeSpec() && a.condition == b.condition &&
           sameBits(a.temperatureC, b.temperatureC) &&
           sameBits(a.apparentTemperatureC, b.apparentTemperatureC) && sameBits(a.humidity, b.humidity) &&
           sameBits(a.windKph, b.windKph) &&
           sameBits(a.precipitationProbability, b.precipitationProbability) &&
           sameBits(a.precipitationIntensityMmPerHour, b.precipitationIntensityMmPerHour);
}

// The samples Qt's parser and WeatherSample::fromJson give for an array's text, or nothing when they fail.
std::optional<QList<WeatherSample>> throughTree(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    try {
        QList<WeatherSample> out;
        for (const QJsonValue& element : document.array())
            out.append(WeatherSample::fromJson(element));
        return out;
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

// Reads `text` both ways. Empty when they agree: the reader refused, or the array it took at the start of
// the text reads as it does through the tree. `taken` says whether the reader took it.
QString disagreement(const QByteArray& text, bool* taken = nullptr) {
    qsizetype length = -1;
    const auto fast = readSampleArray(text, length);
    if (taken)
        *taken = bool(fast);
    if (!fast)
        return {};
    // The array may be followed by more text, which the reader leaves alone.
    if (length < 2 || length > text.size())
        return QStringLiteral("took %1 of %2 bytes").arg(length).arg(text.size());
    const auto tree = throughTree(text.first(length));
    if (!tree)
        return QStringLiteral("took what the tree refuses");
    if (tree->size() != fast->size())
        return QStringLiteral("%1 samples, the tree %2").arg(fast->size()).arg(tree->size());
    for (qsizetype i = 0; i < fast->size(); ++i) {
        if (!identical(fast->at(i), tree->at(i)))
            return QStringLiteral("sample %1: %2, the tree %3")
                .arg(i)
                .arg(describe(fast->at(i)), describe(tree->at(i)));
    }
    return {};
}

QByteArray withTemperature(const QByteArray& number) {
    return "[{\"condition\":\"rain\"," + kDate + ",\"temperatureC\":" + number + "}]";
}

QByteArray written(const QList<WeatherSample>& samples) {
    JsonWriter out;
    out.beginArray();
    for (const WeatherSample& s : samples)
        s.writeJson(out);
    out.endArray();
    return out.take();
}

WeatherSample sampleOf(int hour) {
    WeatherSample s;
    s.date = QDateTime(QDate(2025, 6, 2), QTime(10, 0), Qt::UTC).addSecs(qint64(hour) * 3600);
    s.temperatureC = 18.3 + 4.1 * std::sin(hour / 3.7);
    if (hour % 2 == 0)
        s.apparentTemperatureC = s.temperatureC - 0.7;
    if (hour % 3 != 0)
        s.humidity = 0.61 + 0.003 * (hour % 11);
    if (hour % 5 != 0)
        s.windKph = 9.4 + hour % 13;
    s.condition = static_cast<WeatherCondition>(hour % 13);
    if (hour % 4 != 0)
        s.precipitationProbability = 0.05 * (hour % 9);
    if (hour % 7 == 0)
        s.precipitationIntensityMmPerHour = hour * 1e-9;
    return s;
}

// A JSON number of random shape: sign, integer digits, fraction, exponent in either case and sign.
QByteArray randomNumberText(QRandomGenerator& random) {
    QByteArray text;
    if (random.bounded(2))
        text += '-';
    const int integerDigits = random.bounded(1, 24);
    for (int i = 0; i < integerDigits; ++i)
        text += char('0' + (i == 0 ? (integerDigits == 1 ? random.bounded(10) : random.bounded(1, 10))
                                   : random.bounded(10)));
    if (random.bounded(3) != 0) {
        text += '.';
        const int fractionDigits = random.bounded(1, 34);
        for (int i = 0; i < fractionDigits; ++i)
            text += char('0' + random.bounded(10));
    }
    if (random.bounded(3) == 0) {
        text += random.bounded(2) ? 'e' : 'E';
        const int sign = random.bounded(3);
        if (sign == 1)
            text += '+';
        else if (sign == 2)
            text += '-';
        text += QByteArray::number(random.bounded(random.bounded(2) ? 30 : 330));
    }
    return text;
}

} // namespace

class SampleArrayReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsWhatTheWriterWrites() {
        QList<WeatherSample> samples;
        for (int hour = 0; hour < 240; ++hour)
            samples.append(sampleOf(hour));
        const QByteArray text = written(samples);
        bool taken = false;
        QCOMPARE(disagreement(text, &taken), QString());
        QVERIFY(taken);
        qsizetype length = 0;
        const auto read = readSampleArray(text + ",\"next\":1}", length);
        QVERIFY(read);
        QCOMPARE(length, text.size());
        QCOMPARE(*read, samples);
        QCOMPARE(read->capacity(), read->size());
        QVERIFY(readSampleArray("[]", length));
        QCOMPARE(length, 2);
    }

    void takesOnlyWhatItReadsExactly_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("taken");
        const QByteArray c = "\"condition\":\"rain\"";
        const QByteArray t = "\"temperatureC\":18.5";
        QTest::newRow("the writer's form") << "[{" + c + "," + kDate + "," + t + "}]" << true;
        QTest::newRow("every member")
            << "[{\"apparentTemperatureC\":1,\"condition\":\"fog\"," + kDate +
                   ",\"humidity\":0.5,\"precipitationIntensityMmPerHour\":0.25,"
                   "\"precipitationProbability\":0.1,\"temperatureC\":2,\"windKph\":3}]"
            << true;
        QTest::newRow("white space everywhere") << "[ {\r\n\"condition\" :\t\"rain\" , \"date\": "
                                                   "\"2025-06-02T10:00:00Z\" ,\"temperatureC\" : 1 } "
                                                   ", {" +
                                                       c + "," + kDate + "," + t + "}\n]"
                                                << true;
        QTest::newRow("optional nulls") << "[{\"apparentTemperatureC\":null," + c + "," + kDate +
                                               ",\"humidity\":null," + t + ",\"windKph\":null}]"
                                        << true;
        QTest::newRow("members reordered") << "[{" + kDate + "," + c + "," + t + "}]" << false;
        QTest::newRow("unknown member") << "[{" + c + "," + kDate + ",\"dewPoint\":1," + t + "}]" << false;
        QTest::newRow("member twice") << "[{" + c + "," + kDate + "," + t + "," + t + "}]" << false;
        QTest::newRow("key with an escape")
            << "[{" + c + "," + kDate + ",\"temperatur\\u0065C\":1}]" << false;
        QTest::newRow("date with an escape")
            << "[{" + c + ",\"date\":\"2025-06-02T10:00:00\\u005a\"," + t + "}]" << false;
        QTest::newRow("condition with an escape")
            << "[{\"condition\":\"r\\u0061in\"," + kDate + "," + t + "}]" << false;
        QTest::newRow("condition not ASCII")
            << "[{\"condition\":\"r\xc3\xa4in\"," + kDate + "," + t + "}]" << false;
        QTest::newRow("unknown condition") << "[{\"condition\":\"Rain\"," + kDate + "," + t + "}]" << false;
        QTest::newRow("date with a fraction")
            << "[{" + c + ",\"date\":\"2025-06-02T10:00:00.5Z\"," + t + "}]" << false;
        QTest::newRow("date that does not exist")
            << "[{" + c + ",\"date\":\"2025-02-30T10:00:00Z\"," + t + "}]" << false;
        QTest::newRow("date with an offset")
            << "[{" + c + ",\"date\":\"2025-06-02T10:00:00+01:00\"," + t + "}]" << false;
        QTest::newRow("required null") << "[{" + c + "," + kDate + ",\"temperatureC\":null}]" << false;
        QTest::newRow("date missing") << "[{" + c + "," + t + "}]" << false;
        QTest::newRow("condition missing") << "[{" + kDate + "," + t + "}]" << false;
        QTest::newRow("temperature missing") << "[{" + c + "," + kDate + "}]" << false;
        QTest::newRow("empty sample") << QByteArray("[{}]") << false;
        QTest::newRow("number as a string") << "[{" + c + "," + kDate + ",\"temperatureC\":\"18\"}]" << false;
        QTest::newRow("boolean") << "[{" + c + "," + kDate + ",\"temperatureC\":true}]" << false;
        QTest::newRow("optional as an array")
            << "[{" + c + "," + kDate + ",\"humidity\":[1]," + t + "}]" << false;
        QTest::newRow("condition as a number") << "[{\"condition\":3," + kDate + "," + t + "}]" << false;
        QTest::newRow("date as a number") << "[{" + c + ",\"date\":20250602," + t + "}]" << false;
        QTest::newRow("element not an object") << QByteArray("[1]") << false;
        QTest::newRow("null element") << QByteArray("[null]") << false;
        QTest::newRow("trailing comma in the array") << "[{" + c + "," + kDate + "," + t + "},]" << false;
        QTest::newRow("trailing comma in a sample") << "[{" + c + "," + kDate + "," + t + ",}]" << false;
        QTest::newRow("not an array") << "{" + c + "," + kDate + "," + t + "}" << false;
        QTest::newRow("control character in a string")
            << "[{\"condition\":\"ra\tin\"," + kDate + "," + t + "}]" << false;
    }

    void takesOnlyWhatItReadsExactly() {
        QFETCH(QByteArray, text);
        QFETCH(bool, taken);
        bool read = false;
        QCOMPARE(disagreement(text, &read), QString());
        QCOMPARE(read, taken);
        // What the reader refuses the tree either refuses too or reads; the reader is only ever a shortcut.
    }

    void readsNumbersToQtsDoubles_data() {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<bool>("taken");
        const auto row = [](const char* text, bool taken) {
            QTest::newRow(text) << QByteArray(text) << taken;
        };
        row("0", true);
        row("-0", true); // a whole number to Qt: +0.0
        row("0.0", true);
        row("-0.0", false);
        row("-0e0", false);
        row("0e5", true);
        row("12", true);
        row("-3", true);
        row("18.3", true);
        row("-0.5", true);
        row("1e+21", true);
        row("1E21", true);
        row("1.5e-07", true);
        row("2.5E-3", true);
        row("1e0", true);
        row("5.000", true);
        row("0.30000000000000004", true);
        row("123456789012345678", true);
        row("-123456789012345678", true);
        row("1234567890123456789", false); // beyond the digits a qint64 surely holds
        row("9007199254740993", true);     // 2^53 + 1: rounds to even as a qint64 converted
        row("9007199254740993.0", true);   // the same, correctly rounded
        row("9007199254740995", true);
        row("9007199254740995.0", true);
        row("1.7976931348623157e308", false);
        row("2.2250738585072014e-308", false);
        row("4.9e-324", false);
        row("1e400", false);
        row("1e-400", false);
        row("1e250", true);
        row("1e-250", true);
        row("123456789012345678901.5", false);
        row("0.0000000000000000000000000000001", false);
        row("+1", false);
        row("01", false);
        row(".5", false);
        row("1.", false);
        row("1e", false);
        row("1e+", false);
        row("-", false);
        row("--1", false);
        row("NaN", false);
        row("Infinity", false);
        row("0x10", false);
    }

    void readsNumbersToQtsDoubles() {
        QFETCH(QByteArray, number);
        QFETCH(bool, taken);
        bool read = false;
        QCOMPARE(disagreement(withTemperature(number), &read), QString());
        QCOMPARE(read, taken);
    }

    void readsRandomNumbersToQtsDoubles() {
        QRandomGenerator random(20250602);
        int taken = 0;
        constexpr int count = 20000;
        for (int i = 0; i < count; ++i) {
            QByteArray number;
            switch (i % 3) {
            case 0:
                number = randomNumberText(random);
                break;
            case 1: {
                // Any finite double, in the writer's shortest form.
                double value = 0;
                do
                    value = std::bit_cast<double>(random.generate64());
                while (!std::isfinite(value));
                JsonWriter out;
                out.number(value, QLatin1StringView("n"));
                number = out.take();
                break;
            }
            default: {
                // A double of a weather value's size, to 17 digits in plain or exponent form.
                const double value =
                    (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-12, 12));
                char text[64];
                const int length = i % 2 ? std::snprintf(text, sizeof text, "%.17g", value)
                                         : std::snprintf(text, sizeof text, "%.16e", value);
                number = QByteArray(text, length);
                break;
            }
            }
            bool read = false;
            const QString problem = disagreement(withTemperature(number), &read);
            QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(number) + ": " + problem));
            taken += read ? 1 : 0;
        }
        // Most of them are ordinary numbers, which must take the short way.
        QVERIFY2(taken > count / 2, qPrintable(QString::number(taken)));
    }

    void refusesEveryCutText() {
        QList<WeatherSample> samples;
        for (int hour = 0; hour < 6; ++hour)
            samples.append(sampleOf(hour));
        const QByteArray text = written(samples);
        for (qsizetype size = 0; size < text.size(); ++size) {
            qsizetype length = 0;
            QVERIFY2(!readSampleArray(text.first(size), length), qPrintable(QByteArray::number(size)));
        }
    }

    void agreesWithTheTreeOnMutatedText() {
        // Every one-byte change of a written array: any the reader takes reads as the tree reads it.
        QList<WeatherSample> samples;
        for (int hour = 0; hour < 8; ++hour)
            samples.append(sampleOf(hour));
        const QByteArray text = written(samples);
        static constexpr char replacements[] = {' ', '"', '\\', ',', ':', '{',    '}', '[',
                                                ']', '0', '1',  '9', '-', '+',    '.', 'e',
                                                'E', 'n', 'Z',  'T', 'a', '\x80', '\0'};
        int taken = 0;
        for (qsizetype at = 0; at < text.size(); ++at) {
            for (const char c : replacements) {
                QByteArray mutated = text;
                mutated[at] = c;
                bool read = false;
                const QString problem = disagreement(mutated, &read);
                QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(mutated) + ": " + problem));
                taken += read ? 1 : 0;
                QByteArray inserted = text;
                inserted.insert(at, c);
                QCOMPARE(disagreement(inserted), QString());
            }
            QByteArray removed = text;
            removed.remove(at, 1);
            QCOMPARE(disagreement(removed), QString());
        }
        // Changed digits are still samples the reader takes.
        QVERIFY(taken > 0);
    }
};

QTEST_GUILESS_MAIN(SampleArrayReaderTest)
#include "tst_sample_array_reader.moc"
