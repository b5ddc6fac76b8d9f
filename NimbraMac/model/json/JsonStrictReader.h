#pragma once

#include "JsonOutline.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace nimbra::json {

// A strict validating reader over the bytes; every function leaves `at` behind what it read and says
// whether it was well formed. Stricter than Qt's parser: what it takes, Qt takes too (JsonOutline).
class StrictReader {
public:
    // Far below Qt's own nesting limit; snapshots nest a handful of levels.
    static constexpr int kDeepestNesting = 200;
    // A number whose decimal magnitude reaches this far may not fit a double (or may underflow): refused,
    // so that Qt's "illegal number" is met by the whole-text parse instead.
    static constexpr int kLargestMagnitude = 300;

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    explicit StrictReader(QByteArrayView text)
        : m_begin(text.data()), m_at(text.data()), m_end(text.data() + text.size()) {}

    qsizetype offset() const { return m_at - m_begin; }
    // Moves on past `count` bytes that another reader took.
    void skip(qsizetype count) { m_at += count; }
    // The bytes not read yet.
    QByteArrayView rest() const { return QByteArrayView(m_at, m_end - m_at); }
    bool atEnd() const { return m_at == m_end; }

    void skipSpace() {
        while (m_at != m_end && isSpace(*m_at))
            ++m_at;
    }

    bool take(char c) {
        if (m_at == m_end || *m_at != c)
            return false;
        ++m_at;
        return true;
    }

    bool peek(char c) const { return m_at != m_end && *m_at == c; }

    // Reads a string; `plain` tells whether it held no escape.
    bool string(bool* plain = nullptr) {
        if (!take('"'))
            return false;
        bool escaped = false;
        while (m_at != m_end) {
            const auto c = static_cast<unsigned char>(*m_at);
            if (c == '"') {
                ++m_at;
                if (plain)
                    *plain = !escaped;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                escaped = true;
                if (!escape())
                    return false;
            } else if (c >= 0x80) {
                if (!utf8Sequence())
                    return false;
            } else {
                ++m_at;
            }
        }
        return false;
    }

    bool value(int depth) {
        if (m_at == m_end)
            return false;
        switch (*m_at) {
        case '{':
            return object(depth + 1);
        case '[':
            return array(depth + 1, nullptr);
        case '"':
            return string();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    // An array; the spans of its elements go to `elements` when given.
    bool array(int depth, QList<JsonSpan>* elements) {
        if (depth > kDeepestNesting || !take('['))
            return false;
        skipSpace();
        if (take(']'))
            return true;
        for (;;) {
            skipSpace();
            const qsizetype begin = offset();
            if (!value(depth))
                return false;
            if (elements)
                elements->append({begin, offset()});
            skipSpace();
            if (take(']'))
                return true;
            if (!take(','))
                return false;
        }
    }

private:
    bool object(int depth) {
        if (depth > kDeepestNesting || !take('{'))
            return false;
        skipSpace();
        if (take('}'))
            return true;
        for (;;) {
            skipSpace();
            if (!string())
                return false;
            skipSpace();
            if (!take(':'))
                return false;
            skipSpace();
            if (!value(depth))
                return false;
            skipSpace();
            if (take('}'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool literal(const char* word) {
        for (; *word; ++word) {
            if (!take(*word))
                return false;
        }
        return true;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?, of a magnitude a double surely holds.
    bool number() {
        take('-');
        // The power of ten of the first significant digit, before the exponent. Every digit counts: a
        // negative exponent brings a long whole part only so far back into range.
        qsizetype magnitude = 0;
        const bool leadingZero = take('0');
        if (!leadingZero) {
            if (m_at == m_end || !isDigit(*m_at))
                return false;
            magnitude = digits();
        }
        if (take('.')) {
            const char* first = m_at;
            if (digits() == 0)
                return false;
            if (leadingZero)
                magnitude = -(std::find_if(first, m_at, [](char c) { return c != '0'; }) - first);
        }
        int exponent = 0;
        if (m_at != m_end && (*m_at == 'e' || *m_at == 'E')) {
            ++m_at;
            const bool negative = take('-');
            if (!negative)
                take('+');
            const char* first = m_at;
            if (digits() == 0)
                return false;
            for (const char* d = first; d != m_at; ++d) {
                exponent = exponent * 10 + (*d - '0');
                if (exponent > kLargestMagnitude)
                    return false;
            }
            if (negative)
                exponent = -exponent;
        }
        return std::abs(magnitude + exponent) <= kLargestMagnitude;
    }

    qsizetype digits() {
        const char* first = m_at;
        while (m_at != m_end && isDigit(*m_at))
            ++m_at;
        return m_at - first;
    }

    // After a backslash: one of JSON's escapes; \u escapes of surrogates only as a proper pair.
    bool escape() {
        ++m_at;
        if (m_at == m_end)
            return false;
        const char c = *m_at++;
        switch (c) {
        case '"':
        case '\\':
        case '/':
        case 'b':
        case 'f':
        case 'n':
        case 'r':
        case 't':
            return true;
        case 'u':
            break;
        default:
            return false;
        }
        const int unit = hexUnit();
        if (unit < 0 || (unit >= 0xdc00 && unit <= 0xdfff))
            return false;
        if (unit < 0xd800 || unit > 0xdbff)
            return true;
        if (!take('\\') || !take('u'))
            return false;
        const int low = hexUnit();
        return low >= 0xdc00 && low <= 0xdfff;
    }

    int hexUnit() {
        if (m_end - m_at < 4)
            return -1;
        int unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int v = hexValue(*m_at++);
            if (v < 0)
                return -1;
            unit = unit * 16 + v;
        }
        return unit;
    }

    // One UTF-8 sequence of two to four bytes: no overlong form, no surrogate, nothing past U+10FFFF.
    bool utf8Sequence() {
        const auto lead = static_cast<unsigned char>(*m_at);
        int length = 0;
        std::uint32_t code = 0;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            code = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            code = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (m_end - m_at < length)
            return false;
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(m_at[i]);
            if ((next & 0xc0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3f);
        }
        constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;
        m_at += length;
        return true;
    }

protected:
    // The cursor, for readers of one shape that build on this one.
    const char* m_begin;
    const char* m_at;
    const char* m_end;
};

} // namespace nimbra::json
