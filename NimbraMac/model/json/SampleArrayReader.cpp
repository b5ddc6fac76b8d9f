#include "SampleArrayReader.h"

#include "Iso8601.h"
#include "JsonStrictReader.h"

#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <cstring>
#include <iterator>

namespace nimbra {
namespace {

// The members in the order JsonWriter writes them (sorted), which is the only order taken.
enum class Member {
    apparentTemperature,
    condition,
    date,
    humidity,
    intensity,
    probability,
    temperature,
    wind
};

constexpr std::array<QByteArrayView, 8> kMemberKeys = {
    "apparentTemperatureC",     "condition",    "date",   "humidity", "precipitationIntensityMmPerHour",
    "precipitationProbability", "temperatureC", "windKph"};

// Bounds within which a number's value is surely a normal double: no overflow, no underflow, no subnormal
// (Qt refuses some of those as illegal numbers). Beyond them the number is left to Qt.
constexpr qsizetype kMostIntegerDigits = 20;
constexpr qsizetype kMostFractionDigits = 30;
constexpr int kLargestExponent = 250;
// A whole number of at most this many digits fits a qint64, which Qt's parser reads it as.
constexpr qsizetype kMostExactIntegerDigits = 18;

// The outline's strict reader moves the cursor; this adds the one shape it reads fast.
class Reader : public json::StrictReader {
public:
    using StrictReader::StrictReader;

    // One sample object; false when in any doubt.
    bool sample(WeatherSample& out) {
        if (!take('{'))
            return false;
        bool date = false, condition = false, temperature = false;
        // The first member that may come next: each comes after those before it in kMemberKeys.
        std::size_t next = 0;
        skipSpace();
        if (take('}'))
            return false;
        for (;;) {
            skipSpace();
            const std::size_t found = key(next);
            if (found == kMemberKeys.size())
                return false;
            next = found + 1;
            skipSpace();
            if (!take(':'))
                return false;
            skipSpace();
            switch (Member(found)) {
            case Member::apparentTemperature:
                if (!optionalNumber(out.apparentTemperatureC))
                    return false;
                break;
            case Member::condition:
                if (!readCondition(out.condition))
                    return false;
                condition = true;
                break;
            case Member::date:
                if (!readDate(out.date))
                    return false;
                date = true;
                break;
            case Member::humidity:
                if (!optionalNumber(out.humidity))
                    return false;
                break;
            case Member::intensity:
                if (!optionalNumber(out.precipitationIntensityMmPerHour))
                    return false;
                break;
            case Member::probability:
                if (!optionalNumber(out.precipitationProbability))
                    return false;
                break;
            case Member::temperature:
                if (!number(out.temperatureC))
                    return false;
                temperature = true;
                break;
            case Member::wind:
                if (!optionalNumber(out.windKph))
                    return false;
                break;
            }
            skipSpace();
            if (take('}'))
                return date && condition && temperature;
            if (!take(','))
                return false;
        }
    }

private:
    // A key among kMemberKeys from `first` on, written plainly; kMemberKeys.size() when it is none of them.
    std::size_t key(std::size_t first) {
        if (!take('"'))
            return kMemberKeys.size();
        for (std::size_t i = first; i < kMemberKeys.size(); ++i) {
            const QByteArrayView name = kMemberKeys[i];
            if (m_end - m_at > name.size() && m_at[name.size()] == '"' &&
                std::memcmp(m_at, name.data(), std::size_t(name.size())) == 0) {
                m_at += name.size() + 1;
                return i;
            }
        }
        return kMemberKeys.size();
    }

    // A string of printable ASCII without escapes; what lies between the quotes.
    bool plainString(QLatin1StringView& out) {
        if (!take('"'))
            return false;
        const char* first = m_at;
        while (m_at != m_end && *m_at != '"') {
            if (*m_at < 0x20 || *m_at > 0x7e || *m_at == '\\')
                return false;
            ++m_at;
        }
        if (m_at == m_end)
            return false;
        out = QLatin1StringView(first, m_at - first);
        ++m_at;
        return true;
    }

    bool readDate(QDateTime& out) {
        QLatin1StringView text;
        if (!plainString(text))
            return false;
        auto date = iso8601::parse(text);
        if (!date)
            return false;
        out = std::move(*date);
        return true;
    }

    bool readCondition(WeatherCondition& out) {
        QLatin1StringView text;
        if (!plainString(text))
            return false;
        const auto& names = EnumNames<WeatherCondition>::rawValues;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (text == QLatin1StringView(names[i])) {
                out = WeatherCondition(i);
                return true;
            }
        }
        return false;
    }

    // Null reads as absent, as it does to the tree's readers.
    bool optionalNumber(std::optional<double>& out) {
        if (m_end - m_at >= 4 && std::memcmp(m_at, "null", 4) == 0) {
            m_at += 4;
            out.reset();
            return true;
        }
        double value = 0;
        if (!number(value))
            return false;
        out = value;
        return true;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?, read to the double Qt's parser gives for it. Qt reads
    // a number without a fraction or exponent as a qint64 and converts that (so "-0" is +0.0), any other
    // correctly rounded, as std::from_chars does. A zero with a minus sign is left to Qt.
    bool number(double& out) {
        const char* first = m_at;
        const bool negative = take('-');
        const char* integer = m_at;
        if (!take('0')) {
            if (m_at == m_end || !isDigit(*m_at))
                return false;
            while (m_at != m_end && isDigit(*m_at))
                ++m_at;
        }
        const qsizetype integerDigits = m_at - integer;
        bool whole = true;
        if (take('.')) {
            whole = false;
            const char* fraction = m_at;
            while (m_at != m_end && isDigit(*m_at))
                ++m_at;
            if (m_at == fraction || m_at - fraction > kMostFractionDigits)
                return false;
        }
        if (m_at != m_end && (*m_at == 'e' || *m_at == 'E')) {
            whole = false;
            ++m_at;
            if (!take('-'))
                take('+');
            const char* digits = m_at;
            int exponent = 0;
            while (m_at != m_end && isDigit(*m_at)) {
                exponent = exponent * 10 + (*m_at - '0');
                if (exponent > kLargestExponent)
                    return false;
                ++m_at;
            }
            if (m_at == digits)
                return false;
        }
        if (whole) {
            if (integerDigits > kMostExactIntegerDigits)
                return false;
            qint64 value = 0;
            for (const char* d = integer; d != m_at; ++d)
                value = value * 10 + (*d - '0');
            out = double(negative ? -value : value);
            return true;
        }
        if (integerDigits > kMostIntegerDigits)
            return false;
        const auto [end, error] = std::from_chars(first, m_at, out);
        return error == std::errc() && end == m_at && !(negative && out == 0);
    }
};

} // namespace

std::optional<QList<WeatherSample>> readSampleArray(QByteArrayView text, qsizetype& length) {
    Reader reader(text);
    if (!reader.take('['))
        return std::nullopt;
    // Filled on the stack and copied once at its exact size, as the tree's decoder sizes its list.
    QVarLengthArray<WeatherSample, 256> samples;
    reader.skipSpace();
    if (!reader.take(']')) {
        for (;;) {
            reader.skipSpace();
            if (!reader.sample(samples.emplace_back()))
                return std::nullopt;
            reader.skipSpace();
            if (reader.take(']'))
                break;
            if (!reader.take(','))
                return std::nullopt;
        }
    }
    length = reader.offset();
    return QList<WeatherSample>(std::make_move_iterator(samples.begin()),
                                std::make_move_iterator(samples.end()));
}

} // namespace nimbra
