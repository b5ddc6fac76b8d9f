#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>
#include <QVarLengthArray>

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <variant>

namespace nimbra {

// Thrown inside the strict decoders; the public entry points turn it into an error value.
class DecodingError : public std::runtime_error {
public:
    explicit DecodingError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Thrown when a value cannot be written as JSON (a number that is not finite).
class EncodingError : public std::runtime_error {
public:
    explicit EncodingError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The outcome of decoding or encoding: a value, or the reason there is none.
template <typename T> struct Coded {
    std::optional<T> value;
    QString error;

    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }
};

namespace json {

// Strict readers: a missing key, a null, or a value of the wrong kind throws DecodingError.
QJsonValue required(const QJsonObject& object, QStringView key);
// Missing key and null both read as absent.
std::optional<QJsonValue> optional(const QJsonObject& object, QStringView key);

QJsonObject asObject(const QJsonValue& value, QStringView what);
QJsonArray asArray(const QJsonValue& value, QStringView what);
QString asString(const QJsonValue& value, QStringView what);
bool asBool(const QJsonValue& value, QStringView what);
double asDouble(const QJsonValue& value, QStringView what);
qint64 asInteger(const QJsonValue& value, QStringView what);
QUuid asUUID(const QJsonValue& value, QStringView what);
QDateTime asDate(const QJsonValue& value, QStringView what);

QString readString(const QJsonObject& o, QStringView key);
bool readBool(const QJsonObject& o, QStringView key);
double readDouble(const QJsonObject& o, QStringView key);
qint64 readInteger(const QJsonObject& o, QStringView key);
// A whole number that fits an int.
int readInt(const QJsonObject& o, QStringView key);
int asInt(const QJsonValue& value, QStringView what);
QUuid readUUID(const QJsonObject& o, QStringView key);
QDateTime readDate(const QJsonObject& o, QStringView key);
std::optional<double> readOptionalDouble(const QJsonObject& o, QStringView key);
std::optional<QString> readOptionalString(const QJsonObject& o, QStringView key);
std::optional<QDateTime> readOptionalDate(const QJsonObject& o, QStringView key);

// The members of one object that a record reads, found in one pass over it. Each lookup by key searches the
// object anew; a record that reads most of its members, tens of thousands of times in a snapshot (the hourly
// samples), reads them faster this way. The readers behave as those above, with the same errors.
class MemberIndex {
public:
    // `keys` in sorted order is fastest.
    MemberIndex(const QJsonObject& o, std::initializer_list<QStringView> keys);

    QString readString(QStringView key) const;
    double readDouble(QStringView key) const;
    QDateTime readDate(QStringView key) const;
    std::optional<double> readOptionalDouble(QStringView key) const;

private:
    struct Found {
        QStringView key;
        QJsonObject::const_iterator at;
    };
    QJsonObject::const_iterator m_end;
    QVarLengthArray<Found, 12> m_found;

    QJsonObject::const_iterator find(QStringView key) const;
};

template <typename T, typename Decode>
QList<T> readArray(const QJsonObject& o, QStringView key, Decode decode) {
    const QJsonArray array = asArray(required(o, key), key);
    QList<T> out;
    out.reserve(array.size());
    for (const QJsonValue& element : array)
        out.append(decode(element));
    return out;
}

// Writers. A non-finite number, or a date the strict reader could not take back, throws EncodingError.
QJsonValue number(double value, QStringView what);
QString dateText(const QDateTime& date);
void putOptional(QJsonObject& o, const QString& key, const std::optional<double>& value);
void putOptional(QJsonObject& o, const QString& key, const std::optional<QDateTime>& value);
void putOptional(QJsonObject& o, const QString& key, const std::optional<QString>& value);
// The records write their keys as Latin-1 literals, in sorted order: a QString key would be converted and
// allocated once per record, and a key inserted before others would move them.
void putOptional(QJsonObject& o, QLatin1StringView key, const std::optional<double>& value);
void putOptional(QJsonObject& o, QLatin1StringView key, const std::optional<QDateTime>& value);

template <typename T, typename Encode> QJsonArray array(const QList<T>& values, Encode encode) {
    QJsonArray out;
    for (const T& v : values)
        out.append(encode(v));
    return out;
}

} // namespace json

// Decodes a whole document into T with T::fromJson, catching the strict readers' failures.
template <typename T> Coded<T> decodeDocument(const QByteArray& bytes) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("Invalid JSON at offset %1: %2")
                                  .arg(parseError.offset)
                                  .arg(parseError.errorString())};
    try {
        const QJsonValue root =
            document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        return {T::fromJson(root), {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.message()};
    }
}

template <typename T> Coded<T> decodeValue(const QJsonValue& value) {
    try {
        return {T::fromJson(value), {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.message()};
    }
}

// Encodes T with T::toJson into compact JSON bytes, or the reason it cannot be written.
template <typename T> Coded<QByteArray> encodeDocument(const T& value) {
    try {
        return {QJsonDocument(value.toJson()).toJson(QJsonDocument::Compact), {}};
    } catch (const EncodingError& e) {
        return {std::nullopt, e.message()};
    }
}

} // namespace nimbra
