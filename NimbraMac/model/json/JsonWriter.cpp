#include "JsonWriter.h"

#include "Iso8601.h"
#include "JsonCodec.h"

#include <QJsonDocument>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace nimbra {
namespace {

char lowerHex(unsigned digit) {
    return char(digit < 10 ? '0' + digit : 'a' + digit - 10);
}

char* escapeUnit(char* out, char16_t unit) {
    *out++ = '\\';
    switch (unit) {
    case u'"':
        *out++ = '"';
        break;
    case u'\\':
        *out++ = '\\';
        break;
    case u'\b':
        *out++ = 'b';
        break;
    case u'\f':
        *out++ = 'f';
        break;
    case u'\n':
        *out++ = 'n';
        break;
    case u'\r':
        *out++ = 'r';
        break;
    case u'\t':
        *out++ = 't';
        break;
    default:
        *out++ = 'u';
        for (int shift = 12; shift >= 0; shift -= 4)
            *out++ = lowerHex((unit >> shift) & 0xf);
    }
    return out;
}

// One character of a string in Qt's form: ASCII as itself but for the quote, the backslash and control
// characters; the rest as UTF-8, and a surrogate without its partner as a \u escape. Returns the output's
// end.
template <typename Unit> char* putCharacter(char* out, const Unit*& at, const Unit* end) {
    const char16_t unit = char16_t(*at++);
    if (unit < 0x80) {
        if (unit < 0x20 || unit == u'"' || unit == u'\\')
            return escapeUnit(out, unit);
        *out++ = char(unit);
        return out;
    }
    if (unit < 0x800) {
        *out++ = char(0xc0 | (unit >> 6));
        *out++ = char(0x80 | (unit & 0x3f));
        return out;
    }
    if (!QChar::isSurrogate(unit)) {
        *out++ = char(0xe0 | (unit >> 12));
        *out++ = char(0x80 | ((unit >> 6) & 0x3f));
        *out++ = char(0x80 | (unit & 0x3f));
        return out;
    }
    if (QChar::isHighSurrogate(unit) && at != end && QChar::isLowSurrogate(char16_t(*at))) {
        const char32_t point = QChar::surrogateToUcs4(unit, char16_t(*at++));
        *out++ = char(0xf0 | (point >> 18));
        *out++ = char(0x80 | ((point >> 12) & 0x3f));
        *out++ = char(0x80 | ((point >> 6) & 0x3f));
        *out++ = char(0x80 | (point & 0x3f));
        return out;
    }
    return escapeUnit(out, unit);
}

// Qt writes a whole number of a double as an integer while it is exact (within 2^53).
constexpr double kExactIntegers = 9007199254740992.0;
// The longest number text: a sign, 17 digits, a point, "e-", three exponent digits.
constexpr qsizetype kNumberRoom = 32;

// Lays out the shortest digits that read back to `value` the way Qt's 'g' form does at that precision:
// plain notation unless the exponent form ("1e+21", "1.5e-07") is shorter.
char* putShortest(char* out, double value) {
    char scientific[kNumberRoom];
    const char* end =
        std::to_chars(scientific, scientific + kNumberRoom, value, std::chars_format::scientific).ptr;
    const char* at = scientific;
    if (*at == '-')
        *out++ = *at++;
    char digits[20];
    int count = 0;
    for (; *at != 'e'; ++at) {
        if (*at != '.')
            digits[count++] = *at;
    }
    // "e", a sign, then at least two digits.
    int exponent = 0;
    for (const char* e = at + 2; e != end; ++e)
        exponent = exponent * 10 + (*e - '0');
    if (at[1] == '-')
        exponent = -exponent;
    const int pointAt = exponent + 1; // digits before the decimal point
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    const int plainLength = pointAt <= 0 ? 2 - pointAt + count : (pointAt >= count ? pointAt : count + 1);
    if (plainLength <= scientificLength) {
        if (pointAt <= 0) {
            *out++ = '0';
            *out++ = '.';
            out = std::fill_n(out, -pointAt, '0');
            return std::copy_n(digits, count, out);
        }
        if (pointAt >= count)
            return std::fill_n(std::copy_n(digits, count, out), pointAt - count, '0');
        out = std::copy_n(digits, pointAt, out);
        *out++ = '.';
        return std::copy_n(digits + pointAt, count - pointAt, out);
    }
    *out++ = digits[0];
    if (count > 1) {
        *out++ = '.';
        out = std::copy_n(digits + 1, count - 1, out);
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    int magnitude = std::abs(exponent);
    for (int i = exponentDigits - 1; i >= 0; --i) {
        out[i] = char('0' + magnitude % 10);
        magnitude /= 10;
    }
    return out + exponentDigits;
}

// Readings mostly come with at most three decimals (12.3, 0.05). Such a value is the double nearest to its
// thousandths, and those digits, without trailing zeros, are then the shortest text that reads back to it:
// below a million, doubles lie far closer together than a thousandth, so no shorter decimal can. This
// writes them without the general shortest-digits search, which was half of writing a snapshot. Returns
// nullptr for any other value.
char* putFewDecimals(char* out, double value) {
    if (!(std::abs(value) < 1e6))
        return nullptr;
    const qint64 thousandths = qint64(value * 1000 + (value < 0 ? -0.5 : 0.5));
    if (double(thousandths) / 1000 != value)
        return nullptr;
    if (value < 0)
        *out++ = '-';
    const qint64 magnitude = thousandths < 0 ? -thousandths : thousandths;
    out = std::to_chars(out, out + kNumberRoom, magnitude / 1000).ptr;
    int fraction = int(magnitude % 1000);
    int digits = 3;
    for (; fraction % 10 == 0; --digits) // never all three: the value is not whole
        fraction /= 10;
    *out++ = '.';
    for (int i = digits - 1; i >= 0; --i, fraction /= 10)
        out[i] = char('0' + fraction % 10);
    return out + digits;
}

char* putHex(char* out, quint64 value, int digits) {
    static constexpr char upper[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = upper[value & 0xf];
        value >>= 4;
    }
    return out + digits;
}

} // namespace

void JsonWriter::separate() {
    if (m_size == 0)
        return;
    const char last = m_out.constData()[m_size - 1];
    if (last != '{' && last != '[' && last != ':')
        put(',');
}

void JsonWriter::grow(qsizetype count) {
    // At least double: the bytes beyond m_size are only room, so a copy on growth stays rare.
    m_out.resize(std::max({m_size + count, 2 * m_out.size(), m_out.capacity()}));
}

void JsonWriter::put(QByteArrayView bytes) {
    char* at = reserveAtEnd(bytes.size());
    std::memcpy(at, bytes.data(), std::size_t(bytes.size()));
    finish(at + bytes.size());
}

void JsonWriter::open(char bracket) {
    separate();
    put(bracket);
}

void JsonWriter::key(QLatin1StringView name) {
    // Keys are this program's own names, plain ASCII with nothing to escape: copied as they are.
    Q_ASSERT(std::all_of(name.begin(), name.end(),
                         [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; }));
    separate();
    char* out = reserveAtEnd(name.size() + 3);
    *out++ = '"';
    out = std::copy_n(name.data(), name.size(), out);
    *out++ = '"';
    *out++ = ':';
    finish(out);
}

void JsonWriter::string(QStringView text) {
    separate();
    // At most six bytes (an escape) per UTF-16 unit.
    char* out = reserveAtEnd(text.size() * 6 + 2);
    *out++ = '"';
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    while (at != end)
        out = putCharacter(out, at, end);
    *out++ = '"';
    finish(out);
}

void JsonWriter::latin1(QLatin1StringView text) {
    separate();
    char* out = reserveAtEnd(text.size() * 6 + 2);
    *out++ = '"';
    const uchar* at = reinterpret_cast<const uchar*>(text.data());
    const uchar* const end = at + text.size();
    while (at != end)
        out = putCharacter(out, at, end);
    *out++ = '"';
    finish(out);
}

void JsonWriter::checkFinite(double value, QLatin1StringView what) {
    if (!std::isfinite(value))
        json::number(value, QString(what)); // throws
}

void JsonWriter::number(double value, QLatin1StringView what) {
    checkFinite(value, what);
    separate();
    putNumber(value);
}

void JsonWriter::putNumber(double value) {
    char* out = reserveAtEnd(kNumberRoom);
    if (std::trunc(value) != value) {
        if (char* end = putFewDecimals(out, value))
            out = end;
        else // the shortest text, in plain notation unless the exponent form is shorter
            out = std::to_chars(out, out + kNumberRoom, value).ptr;
    } else if (std::abs(value) <= kExactIntegers)
        out = std::to_chars(out, out + kNumberRoom, static_cast<qint64>(value)).ptr;
    else // to_chars would write every digit of a large whole number; Qt writes the shortest and zeros
        out = putShortest(out, value);
    finish(out);
}

void JsonWriter::integer(qint64 value) {
    separate();
    char* out = reserveAtEnd(kNumberRoom);
    finish(std::to_chars(out, out + kNumberRoom, value).ptr);
}

void JsonWriter::boolean(bool value) {
    separate();
    put(value ? QByteArrayView("true") : QByteArrayView("false"));
}

void JsonWriter::dateText(const QDateTime& value, char* text) {
    if (!iso8601::formatAscii(value, text, &m_lastDay))
        json::dateText(value); // throws
}

void JsonWriter::date(const QDateTime& value) {
    char text[iso8601::kFormattedLength];
    dateText(value, text);
    separate();
    putDate(text);
}

void JsonWriter::putDate(const char* text) {
    char* out = reserveAtEnd(iso8601::kFormattedLength + 2);
    *out++ = '"';
    out = std::copy_n(text, iso8601::kFormattedLength, out);
    *out++ = '"';
    finish(out);
}

void JsonWriter::uuid(const QUuid& id) {
    separate();
    char* out = reserveAtEnd(38);
    *out++ = '"';
    out = putHex(out, id.data1, 8);
    *out++ = '-';
    out = putHex(out, id.data2, 4);
    *out++ = '-';
    out = putHex(out, id.data3, 4);
    *out++ = '-';
    out = putHex(out, quint64(id.data4[0]) << 8 | id.data4[1], 4);
    *out++ = '-';
    quint64 node = 0;
    for (int i = 2; i < 8; ++i)
        node = node << 8 | id.data4[i];
    out = putHex(out, node, 12);
    *out++ = '"';
    finish(out);
}

void JsonWriter::raw(QByteArrayView json) {
    separate();
    put(json);
}

void JsonWriter::object(const QJsonObject& value) {
    raw(QJsonDocument(value).toJson(QJsonDocument::Compact));
}

void JsonWriter::optionalField(QLatin1StringView name, const std::optional<double>& value) {
    if (value)
        field(name, *value);
}

void JsonWriter::optionalField(QLatin1StringView name, const std::optional<QDateTime>& value) {
    if (value)
        field(name, *value);
}

void JsonWriter::optionalField(QLatin1StringView name, const std::optional<QString>& value) {
    if (value)
        field(name, QStringView(*value));
}

} // namespace nimbra
