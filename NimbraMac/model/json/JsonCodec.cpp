#include "JsonCodec.h"

#include "Iso8601.h"
#include "UUIDText.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace nimbra::json {
namespace {

[[noreturn]] void mismatch(QStringView what, const char* expected) {
    throw DecodingError(QStringLiteral("Expected %1 for \"%2\"").arg(QLatin1String(expected), what));
}

[[noreturn]] void missing(QStringView key) {
    throw DecodingError(QStringLiteral("Missing key \"%1\"").arg(key));
}

[[noreturn]] void null(QStringView key) {
    throw DecodingError(QStringLiteral("Null value for required key \"%1\"").arg(key));
}

// The readers below look at a value where it lies in its object: copying it out as a QJsonValue first
// would copy a string's text once more, and a snapshot holds tens of thousands of them.
QJsonValueConstRef requiredRef(QJsonObject::const_iterator it, QJsonObject::const_iterator end,
                               QStringView key) {
    if (it == end)
        missing(key);
    if (it->isNull())
        null(key);
    return *it;
}

QJsonValueConstRef requiredRef(const QJsonObject& object, QStringView key) {
    return requiredRef(object.constFind(key), object.constEnd(), key);
}

std::optional<QJsonValueConstRef> optionalRef(QJsonObject::const_iterator it,
                                              QJsonObject::const_iterator end) {
    if (it == end || it->isNull())
        return std::nullopt;
    return *it;
}

std::optional<QJsonValueConstRef> optionalRef(const QJsonObject& object, QStringView key) {
    return optionalRef(object.constFind(key), object.constEnd());
}

QString stringOf(QJsonValueConstRef value, QStringView what) {
    if (!value.isString())
        mismatch(what, "a string");
    return value.toString();
}

double doubleOf(QJsonValueConstRef value, QStringView what) {
    if (!value.isDouble())
        mismatch(what, "a number");
    return value.toDouble();
}

qint64 wholeNumber(double d, QStringView what) {
    // 2^53 bounds the integers a double holds exactly.
    constexpr double limit = 9007199254740992.0;
    if (!std::isfinite(d) || std::trunc(d) != d || d > limit || d < -limit)
        throw DecodingError(QStringLiteral("Expected a whole number for \"%1\"").arg(what));
    return static_cast<qint64>(d);
}

int intOf(qint64 n, QStringView what) {
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        throw DecodingError(QStringLiteral("Number out of range for \"%1\"").arg(what));
    return static_cast<int>(n);
}

QUuid uuidOf(const QString& text, QStringView what) {
    const auto id = parseUUID(text);
    if (!id)
        throw DecodingError(QStringLiteral("Malformed UUID for \"%1\"").arg(what));
    return *id;
}

QDateTime dateOf(const QString& text, QStringView what) {
    const auto date = iso8601::parse(text);
    if (!date)
        throw DecodingError(QStringLiteral("Malformed date for \"%1\"").arg(what));
    return *date;
}

} // namespace

QJsonValue required(const QJsonObject& object, QStringView key) {
    return requiredRef(object, key);
}

std::optional<QJsonValue> optional(const QJsonObject& object, QStringView key) {
    const auto value = optionalRef(object, key);
    return value ? std::optional<QJsonValue>(*value) : std::nullopt;
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
    return wholeNumber(asDouble(value, what), what);
}

int asInt(const QJsonValue& value, QStringView what) {
    return intOf(asInteger(value, what), what);
}

QUuid asUUID(const QJsonValue& value, QStringView what) {
    return uuidOf(asString(value, what), what);
}

QDateTime asDate(const QJsonValue& value, QStringView what) {
    return dateOf(asString(value, what), what);
}

QString readString(const QJsonObject& o, QStringView key) {
    return stringOf(requiredRef(o, key), key);
}
bool readBool(const QJsonObject& o, QStringView key) {
    const QJsonValueConstRef value = requiredRef(o, key);
    if (!value.isBool())
        mismatch(key, "a boolean");
    return value.toBool();
}
double readDouble(const QJsonObject& o, QStringView key) {
    return doubleOf(requiredRef(o, key), key);
}
qint64 readInteger(const QJsonObject& o, QStringView key) {
    return wholeNumber(readDouble(o, key), key);
}
int readInt(const QJsonObject& o, QStringView key) {
    return intOf(readInteger(o, key), key);
}
QUuid readUUID(const QJsonObject& o, QStringView key) {
    return uuidOf(readString(o, key), key);
}
QDateTime readDate(const QJsonObject& o, QStringView key) {
    return dateOf(readString(o, key), key);
}

std::optional<double> readOptionalDouble(const QJsonObject& o, QStringView key) {
    const auto v = optionalRef(o, key);
    return v ? std::optional(doubleOf(*v, key)) : std::nullopt;
}

std::optional<QString> readOptionalString(const QJsonObject& o, QStringView key) {
    const auto v = optionalRef(o, key);
    return v ? std::optional(stringOf(*v, key)) : std::nullopt;
}

std::optional<QDateTime> readOptionalDate(const QJsonObject& o, QStringView key) {
    const auto v = optionalRef(o, key);
    return v ? std::optional(dateOf(stringOf(*v, key), key)) : std::nullopt;
}

MemberIndex::MemberIndex(const QJsonObject& o, std::initializer_list<QStringView> keys)
    : m_end(o.constEnd()) {
    for (const QStringView key : keys)
        m_found.append({key, m_end});
    // An object's members come in key order: with the keys given in that order, the search for each member
    // starts where the last one was found and mostly ends there.
    qsizetype next = 0;
    for (auto it = o.constBegin(); it != m_end; ++it) {
        const QString key = it.key();
        for (qsizetype n = 0; n < m_found.size(); ++n) {
            Found& f = m_found[(next + n) % m_found.size()];
            if (f.key.size() == key.size() &&
                std::memcmp(f.key.data(), key.constData(), size_t(key.size()) * sizeof(QChar)) == 0) {
                f.at = it;
                next = (next + n + 1) % m_found.size();
                break;
            }
        }
    }
}

QJsonObject::const_iterator MemberIndex::find(QStringView key) const {
    for (const Found& f : m_found) {
        if (f.key == key)
            return f.at;
    }
    Q_ASSERT_X(false, "MemberIndex", "a key not given to the index");
    return m_end;
}

QString MemberIndex::readString(QStringView key) const {
    return stringOf(requiredRef(find(key), m_end, key), key);
}

double MemberIndex::readDouble(QStringView key) const {
    return doubleOf(requiredRef(find(key), m_end, key), key);
}

QDateTime MemberIndex::readDate(QStringView key) const {
    return dateOf(readString(key), key);
}

std::optional<double> MemberIndex::readOptionalDouble(QStringView key) const {
    const auto v = optionalRef(find(key), m_end);
    return v ? std::optional(doubleOf(*v, key)) : std::nullopt;
}

namespace {

template <typename Text> QJsonValue finiteNumber(double value, Text what) {
    if (!std::isfinite(value))
        throw EncodingError(QStringLiteral("Cannot write the non-finite number of \"%1\"").arg(what));
    return value;
}

} // namespace

QJsonValue number(double value, QStringView what) {
    return finiteNumber(value, what);
}

QString dateText(const QDateTime& date) {
    const QString text = iso8601::format(date);
    // There is no text for an invalid date or a year beyond 0001-9999 (a provider's garbage time stamp):
    // written out, an empty one would make the whole document unreadable on the next load.
    if (text.isEmpty())
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

void putOptional(QJsonObject& o, QLatin1StringView key, const std::optional<double>& value) {
    if (value)
        o.insert(key, finiteNumber(*value, key));
}

void putOptional(QJsonObject& o, QLatin1StringView key, const std::optional<QDateTime>& value) {
    if (value)
        o.insert(key, dateText(*value));
}

void putOptional(QJsonObject& o, const QString& key, const std::optional<QString>& value) {
    if (value)
        o.insert(key, *value);
}

} // namespace nimbra::json
