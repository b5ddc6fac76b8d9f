#include "JsonCodec.h"

#include "Iso8601.h"
#include "UUIDText.h"

#include <cmath>
#include <limits>

namespace nimbra::json {
namespace {

[[noreturn]] void mismatch(QStringView what, const char* expected) {
    throw DecodingError(QStringLiteral("Expected %1 for \"%2\"").arg(QLatin1String(expected), what));
}

} // namespace

QJsonValue required(const QJsonObject& object, QStringView key) {
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        throw DecodingError(QStringLiteral("Missing key \"%1\"").arg(key));
    if (it->isNull())
        throw DecodingError(QStringLiteral("Null value for required key \"%1\"").arg(key));
    return *it;
}

std::optional<QJsonValue> optional(const QJsonObject& object, QStringView key) {
    const auto it = object.constFind(key);
    if (it == object.constEnd() || it->isNull())
        return std::nullopt;
    return *it;
}

QJsonObject asObject(const QJsonValue& value, QStringView what) {
    if (!value.isObject())
        mismatch(what, "an object");
    return value.toObject();
}

QJsonArray asArray(const QJsonValue& value, QStringView what) {
    if (!value.isArray())
        mismatch(what, "an array");
    return value.toArray();
}

QString asString(const QJsonValue& value, QStringView what) {
    if (!value.isString())
        mismatch(what, "a string");
    return value.toString();
}

bool asBool(const QJsonValue& value, QStringView what) {
    if (!value.isBool())
        mismatch(what, "a boolean");
    return value.toBool();
}

double asDouble(const QJsonValue& value, QStringView what) {
    if (!value.isDouble())
        mismatch(what, "a number");
    return value.toDouble();
}

qint64 asInteger(const QJsonValue& value, QStringView what) {
    const double d = asDouble(value, what);
    // 2^53 bounds the integers a double holds exactly.
    constexpr double limit = 9007199254740992.0;
    if (!std::isfinite(d) || std::trunc(d) != d || d > limit || d < -limit)
        throw DecodingError(QStringLiteral("Expected a whole number for \"%1\"").arg(what));
    return static_cast<qint64>(d);
}

int asInt(const QJsonValue& value, QStringView what) {
    const qint64 n = asInteger(value, what);
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        throw DecodingError(QStringLiteral("Number out of range for \"%1\"").arg(what));
    return static_cast<int>(n);
}

QUuid asUUID(const QJsonValue& value, QStringView what) {
    const auto id = parseUUID(asString(value, what));
    if (!id)
        throw DecodingError(QStringLiteral("Malformed UUID for \"%1\"").arg(what));
    return *id;
}

QDateTime asDate(const QJsonValue& value, QStringView what) {
    const auto date = iso8601::parse(asString(value, what));
    if (!date)
        throw DecodingError(QStringLiteral("Malformed date for \"%1\"").arg(what));
    return *date;
}

QString readString(const QJsonObject& o, QStringView key) {
    return asString(required(o, key), key);
}
bool readBool(const QJsonObject& o, QStringView key) {
    return asBool(required(o, key), key);
}
double readDouble(const QJsonObject& o, QStringView key) {
    return asDouble(required(o, key), key);
}
qint64 readInteger(const QJsonObject& o, QStringView key) {
    return asInteger(required(o, key), key);
}
int readInt(const QJsonObject& o, QStringView key) {
    return asInt(required(o, key), key);
}
QUuid readUUID(const QJsonObject& o, QStringView key) {
    return asUUID(required(o, key), key);
}
QDateTime readDate(const QJsonObject& o, QStringView key) {
    return asDate(required(o, key), key);
}

std::optional<double> readOptionalDouble(const QJsonObject& o, QStringView key) {
    const auto v = optional(o, key);
    return v ? std::optional(asDouble(*v, key)) : std::nullopt;
}

std::optional<QString> readOptionalString(const QJsonObject& o, QStringView key) {
    const auto v = optional(o, key);
    return v ? std::optional(asString(*v, key)) : std::nullopt;
}

std::optional<QDateTime> readOptionalDate(const QJsonObject& o, QStringView key) {
    const auto v = optional(o, key);
    return v ? std::optional(asDate(*v, key)) : std::nullopt;
}

QJsonValue number(double value, QStringView what) {
    if (!std::isfinite(value))
        throw EncodingError(QStringLiteral("Cannot write the non-finite number of \"%1\"").arg(what));
    return value;
}

QString dateText(const QDateTime& date) {
    const QString text = iso8601::format(date);
    // Qt writes an empty text for an invalid date or a year beyond 0001-9999 (a provider's garbage time
    // stamp): written out, it would make the whole document unreadable on the next load.
    if (!iso8601::parse(text))
        throw EncodingError(
            QStringLiteral("Cannot write the date \"%1\"").arg(date.toString(Qt::RFC2822Date)));
    return text;
}

void putOptional(QJsonObject& o, const QString& key, const std::optional<double>& value) {
    if (value)
        o.insert(key, number(*value, key));
}

void putOptional(QJsonObject& o, const QString& key, const std::optional<QDateTime>& value) {
    if (value)
        o.insert(key, dateText(*value));
}

void putOptional(QJsonObject& o, const QString& key, const std::optional<QString>& value) {
    if (value)
        o.insert(key, *value);
}

} // namespace nimbra::json
