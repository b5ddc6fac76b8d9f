#include "SnapshotHourly.h"

#include "JsonStrictReader.h"
#include "SampleArrayReader.h"

namespace nimbra {
namespace {

// One pass over the snapshot with the strict reader, that hands each forecast's "hourly" array to
// readSampleArray and notes where the arrays it read lie.
class HourlyWalk {
public:
    explicit HourlyWalk(const QByteArray& bytes) : m_bytes(bytes), m_reader(bytes) {}

    bool document() {
        m_reader.skipSpace();
        if (!m_reader.take('{'))
            return false;
        m_reader.skipSpace();
        if (!m_reader.take('}')) {
            QList<QByteArrayView> keys;
            for (;;) {
                QByteArrayView name;
                if (!key(name) || keys.contains(name))
                    return false;
                keys.append(name);
                if (!topLevelValue(name))
                    return false;
                m_reader.skipSpace();
                if (m_reader.take('}'))
                    break;
                if (!m_reader.take(','))
                    return false;
            }
        }
        m_reader.skipSpace();
        return m_reader.atEnd();
    }

    // The bytes with every array read ahead written as "[]".
    QByteArray rest() const {
        qsizetype cut = 0;
        for (const JsonSpan& span : m_cuts)
            cut += span.size() - 2;
        QByteArray out;
        out.reserve(m_bytes.size() - cut);
        qsizetype from = 0;
        for (const JsonSpan& span : m_cuts) {
            out.append(QByteArrayView(m_bytes).sliced(from, span.begin - from)).append("[]");
            from = span.end;
        }
        return out.append(QByteArrayView(m_bytes).sliced(from));
    }

    bool readAny() const { return !m_cuts.isEmpty(); }
    HourlyReadAhead& hourly() { return m_hourly; }

private:
    // A key written without escapes, and the colon after it.
    bool key(QByteArrayView& name) {
        m_reader.skipSpace();
        const qsizetype begin = m_reader.offset();
        bool plain = false;
        if (!m_reader.string(&plain) || !plain)
            return false;
        name = QByteArrayView(m_bytes).sliced(begin + 1, m_reader.offset() - begin - 2);
        m_reader.skipSpace();
        if (!m_reader.take(':'))
            return false;
        m_reader.skipSpace();
        return true;
    }

    bool topLevelValue(QByteArrayView name) {
        constexpr int depth = 1;
        if (name == "forecasts") {
            return table(depth, [this](qsizetype pair, int valueDepth) {
                if (!m_reader.peek('{'))
                    return m_reader.value(valueDepth);
                if (m_hourly.forecasts.size() <= std::size_t(pair))
                    m_hourly.forecasts.resize(std::size_t(pair) + 1);
                return forecast(valueDepth + 1, m_hourly.forecasts[std::size_t(pair)]);
            });
        }
        if (name == "providerForecasts") {
            return table(depth, [this](qsizetype pair, int valueDepth) {
                if (!m_reader.peek('['))
                    return m_reader.value(valueDepth);
                if (m_hourly.providerForecasts.size() <= std::size_t(pair))
                    m_hourly.providerForecasts.resize(std::size_t(pair) + 1);
                return providerList(valueDepth + 1, m_hourly.providerForecasts[std::size_t(pair)]);
            });
        }
        if (name == "selectedForecast" && m_reader.peek('{'))
            return forecast(depth + 1, m_hourly.selectedForecast);
        return m_reader.value(depth);
    }

    // A flat table of alternating keys and values; `readValue(pair, depth)` reads each value.
    template <typename ReadValue> bool table(int depth, ReadValue readValue) {
        if (!m_reader.peek('['))
            return m_reader.value(depth);
        return elements(depth + 1, [&](qsizetype index) {
            return index % 2 == 0 ? m_reader.value(depth + 1) : readValue(index / 2, depth + 1);
        });
    }

    bool providerList(int depth, std::vector<HourlyReadAhead::Samples>& lists) {
        return elements(depth, [&](qsizetype index) {
            if (!m_reader.peek('{'))
                return m_reader.value(depth);
            lists.resize(std::size_t(index) + 1);
            return forecast(depth + 1, lists[std::size_t(index)]);
        });
    }

    // An array at `depth` whose elements `readElement(index)` reads.
    template <typename ReadElement> bool elements(int depth, ReadElement readElement) {
        if (depth > json::StrictReader::kDeepestNesting || !m_reader.take('['))
            return false;
        m_reader.skipSpace();
        if (m_reader.take(']'))
            return true;
        for (qsizetype index = 0;; ++index) {
            m_reader.skipSpace();
            if (!readElement(index))
                return false;
            m_reader.skipSpace();
            if (m_reader.take(']'))
                return true;
            if (!m_reader.take(','))
                return false;
        }
    }

    // A forecast's object: its "hourly" array goes to `hourly` when readSampleArray takes it.
    bool forecast(int depth, HourlyReadAhead::Samples& hourly) {
        if (depth > json::StrictReader::kDeepestNesting || !m_reader.take('{'))
            return false;
        m_reader.skipSpace();
        if (m_reader.take('}'))
            return true;
        bool hourlySeen = false;
        for (;;) {
            QByteArrayView name;
            if (!key(name))
                return false;
            if (name == "hourly") {
                if (hourlySeen)
                    return false;
                hourlySeen = true;
                if (!hourlyArray(depth, hourly))
                    return false;
            } else if (!m_reader.value(depth)) {
                return false;
            }
            m_reader.skipSpace();
            if (m_reader.take('}'))
                return true;
            if (!m_reader.take(','))
                return false;
        }
    }

    bool hourlyArray(int depth, HourlyReadAhead::Samples& hourly) {
        if (m_reader.peek('[')) {
            qsizetype length = 0;
            if (auto samples = readSampleArray(m_reader.rest(), length)) {
                const qsizetype begin = m_reader.offset();
                m_cuts.append({begin, begin + length});
                m_reader.skip(length);
                hourly = std::move(samples);
                return true;
            }
        }
        return m_reader.value(depth);
    }

    const QByteArray& m_bytes;
    json::StrictReader m_reader;
    HourlyReadAhead m_hourly;
    QList<JsonSpan> m_cuts;
};

} // namespace

std::optional<SnapshotWithoutHourly> readHourlyAhead(const QByteArray& bytes) {
    HourlyWalk walk(bytes);
    if (!walk.document() || !walk.readAny())
        return std::nullopt;
    return SnapshotWithoutHourly{walk.rest(), std::move(walk.hourly())};
}

} // namespace nimbra
