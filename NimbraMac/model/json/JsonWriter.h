#pragma once

#include "Iso8601.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QJsonObject>
#include <QLatin1StringView>
#include <QStringView>
#include <QUuid>

#include <optional>
#include <utility>

namespace nimbra {

// Writes compact JSON straight into bytes: the same bytes QJsonDocument::toJson(Compact) gives for the same
// values, without building a QJsonObject per record first (which cost the snapshot twice its decoding).
// The caller writes an object's keys in the order QJsonObject keeps them: sorted by their UTF-16 code units.
// Numbers follow Qt's form: a whole number within +-2^53 as an integer, any other the shortest text that
// reads back to the same double, in plain or exponent notation, whichever is shorter. Strings are UTF-8 with
// Qt's escapes. A value with no JSON form (a number that is not finite, a date the reader cannot take back)
// throws EncodingError, as the QJsonObject writers do; the caller may cut the bytes back to a mark() it took.
class JsonWriter {
public:
    JsonWriter() = default;
    explicit JsonWriter(qsizetype expectedBytes) { m_out.reserve(expectedBytes); }

    void beginObject() { open('{'); }
    void endObject() { put('}'); }
    void beginArray() { open('['); }
    void endArray() { put(']'); }
    // One of the program's own names, plain printable ASCII: written without escaping.
    void key(QLatin1StringView name);

    void string(QStringView text);
    void latin1(QLatin1StringView text);
    // `what` names the value in the error when it is not finite.
    void number(double value, QLatin1StringView what);
    void integer(qint64 value);
    void boolean(bool value);
    void date(const QDateTime& value);
    void uuid(const QUuid& id);
    // A value that is compact JSON already.
    void raw(QByteArrayView json);
    void object(const QJsonObject& value);

    // Key and value together; the optional ones write nothing when there is no value.
    void field(QLatin1StringView name, QStringView text) {
        key(name);
        string(text);
    }
    void field(QLatin1StringView name, QLatin1StringView text) {
        key(name);
        latin1(text);
    }
    void field(QLatin1StringView name, double value) {
        checkFinite(value, name);
        key(name);
        putNumber(value);
    }
    void field(QLatin1StringView name, bool value) {
        key(name);
        boolean(value);
    }
    void field(QLatin1StringView name, const QDateTime& value) {
        char text[iso8601::kFormattedLength];
        dateText(value, text);
        key(name);
        putDate(text);
    }
    void field(QLatin1StringView name, const QUuid& id) {
        key(name);
        uuid(id);
    }
    void optionalField(QLatin1StringView name, const std::optional<double>& value);
    void optionalField(QLatin1StringView name, const std::optional<QDateTime>& value);
    void optionalField(QLatin1StringView name, const std::optional<QString>& value);

    template <typename List, typename Write>
    void array(QLatin1StringView name, const List& list, Write write) {
        key(name);
        beginArray();
        for (const auto& element : list)
            write(*this, element);
        endArray();
    }

    // Where the bytes end now; cutting back to it drops everything written since, separators included.
    qsizetype mark() const { return m_size; }
    void cutBack(qsizetype mark) { m_size = mark; }

    const QByteArray& bytes() const {
        m_out.resize(m_size);
        return m_out;
    }
    // The bytes without the room kept for growth: encoders keep them.
    QByteArray take() {
        m_out.resize(std::exchange(m_size, 0));
        m_out.squeeze();
        return std::move(m_out);
    }

private:
    void open(char bracket);
    // A comma unless the value or key is the first of its object or array, or follows its key.
    void separate();
    // Room for `count` more bytes; returns where they go. finish() sets the end to where writing ended.
    // The buffer's own size runs ahead of the bytes written (m_size), so that a value costs no call into
    // the buffer unless it has to grow.
    char* reserveAtEnd(qsizetype count) {
        if (m_out.size() - m_size < count)
            grow(count);
        return m_out.data() + m_size;
    }
    void finish(const char* end) { m_size = end - m_out.constData(); }
    void grow(qsizetype count);
    void put(char c) {
        char* at = reserveAtEnd(1);
        *at = c;
        finish(at + 1);
    }
    void put(QByteArrayView bytes);
    // Throw the tree writers' own errors for a value with no JSON form.
    static void checkFinite(double value, QLatin1StringView what);
    void dateText(const QDateTime& value, char* text);
    // A value after its separator (or key).
    void putNumber(double value);
    void putDate(const char* text);

    mutable QByteArray m_out;
    qsizetype m_size = 0;
    iso8601::FormattedDay m_lastDay;
};

} // namespace nimbra
