#include "OpenMeteoForecastResponse.h"

#include "ProviderJson.h"

#include <QCborArray>
#include <QJsonArray>
#include <QJsonObject>

#include <limits>
#include <type_traits>

namespace nimbra {
namespace {

bool readDigits(QStringView text, qsizetype from, qsizetype count, int& out) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    out = value;
    return true;
}

// Days from 1970-01-01 of a valid proleptic Gregorian date (H. Hinnant's days_from_civil): plain arithmetic,
// since a long series reads hundreds of these.
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool readDate(QStringView t, int& y, int& m, int& d) {
    return t.size() >= 10 && t[4] == u'-' && t[7] == u'-' && readDigits(t, 0, 4, y) &&
           readDigits(t, 5, 2, m) && readDigits(t, 8, 2, d) && QDate::isValid(y, m, d);
}

// Series are read as CBOR arrays, which share the parsed document's storage: one call per element instead of
// the several a QJsonValue needs, for a series of hundreds. Anything unexpected goes through the strict
// readers for their failure.
template <typename T> std::optional<T> element(const QCborValue& value, QStringView key);

template <> std::optional<double> element(const QCborValue& value, QStringView key) {
    switch (value.type()) {
    case QCborValue::Null:
        return std::nullopt;
    case QCborValue::Double:
    case QCborValue::Integer:
        return value.toDouble();
    default:
        return json::asDouble(value.toJsonValue(), key);
    }
}

template <> std::optional<int> element(const QCborValue& value, QStringView key) {
    constexpr qint64 limit = std::numeric_limits<int>::max();
    if (value.isNull())
        return std::nullopt;
    if (value.isInteger() && value.toInteger() >= -limit && value.toInteger() <= limit)
        return static_cast<int>(value.toInteger());
    return json::asInt(value.toJsonValue(), key);
}

// Time and day texts: one that does not parse is absent, only a value of another kind fails the document.
std::optional<OpenMeteoLocalTime> fromText(const QString& text, OpenMeteoLocalTime*) {
    return OpenMeteoLocalTime::parse(text);
}

std::optional<QDate> fromText(const QString& text, QDate*) {
    return parseOpenMeteoDay(text);
}

template <typename T>
constexpr bool isText = std::is_same_v<T, OpenMeteoLocalTime> || std::is_same_v<T, QDate>;

// V is a QJsonValue or one of an array's references.
template <typename T, typename V> std::optional<T> textElement(const V& value, QStringView key) {
    switch (value.type()) {
    case QJsonValue::Null:
        return std::nullopt;
    case QJsonValue::String:
        return fromText(value.toString(), static_cast<T*>(nullptr));
    default:
        return fromText(json::asString(QJsonValue(value), key), static_cast<T*>(nullptr));
    }
}

template <typename T> std::optional<T> element(const QJsonValue& value, QStringView key) {
    if constexpr (isText<T>)
        return textElement<T>(value, key);
    else
        return element<T>(QCborValue::fromJsonValue(value), key);
}

// Texts are read through the JSON array's own references, which (unlike a QCborValue per text) leave the
// document's reference count alone.
template <typename T> OpenMeteoSeries<T> series(const QJsonValue& value, QStringView key) {
    if constexpr (isText<T>) {
        const QJsonArray array = json::asArray(value, key);
        OpenMeteoSeries<T> out(array.size());
        std::optional<T>* next = out.data();
        for (auto it = array.cbegin(); it != array.cend(); ++it)
            *next++ = textElement<T>(QJsonValueConstRef(*it), key);
        return out;
    } else {
        const QCborArray array = QCborArray::fromJsonArray(json::asArray(value, key));
        const qsizetype n = array.size();
        OpenMeteoSeries<T> out(n);
        std::optional<T>* next = out.data();
        for (qsizetype i = 0; i < n; ++i)
            *next++ = element<T>(array.at(i), key);
        return out;
    }
}

template <typename T> OpenMeteoSeries<T> requiredSeries(const QJsonObject& o, QStringView key) {
    return series<T>(json::required(o, key), key);
}

template <typename T>
std::optional<OpenMeteoSeries<T>> optionalSeries(const QJsonObject& o, QStringView key) {
    const auto v = json::optional(o, key);
    return v ? std::optional(series<T>(*v, key)) : std::nullopt;
}

// A key that must be there, whose value may still be null.
template <typename T> std::optional<T> presentValue(const QJsonObject& o, QStringView key) {
    if (!o.contains(key))
        throw DecodingError(QStringLiteral("Missing key \"%1\"").arg(key));
    return element<T>(o.value(key), key);
}

// Decodes one block, naming it in the failure so that the reason points at the right place.
template <typename Record> std::optional<Record> block(const QJsonObject& o, QStringView key) {
    const auto v = json::optional(o, key);
    if (!v)
        return std::nullopt;
    try {
        return Record::fromJson(*v);
    } catch (const DecodingError& e) {
        throw DecodingError(QStringLiteral("%1: %2").arg(key, e.message()));
    }
}

} // namespace

std::optional<OpenMeteoLocalTime> OpenMeteoLocalTime::parse(QStringView t) {
    int y = 0, m = 0, d = 0, h = 0, mi = 0;
    if (t.size() != 16 || t[10] != u'T' || t[13] != u':' || !readDigits(t, 11, 2, h) ||
        !readDigits(t, 14, 2, mi) || h > 23 || mi > 59 || !readDate(t, y, m, d))
        return std::nullopt;
    return OpenMeteoLocalTime{daysFromCivil(y, m, d) * 86400 + h * 3600 + mi * 60};
}

std::optional<QDate> parseOpenMeteoDay(QStringView t) {
    int y = 0, m = 0, d = 0;
    if (t.size() != 10 || !readDate(t, y, m, d))
        return std::nullopt;
    return QDate(y, m, d);
}

OpenMeteoCurrent OpenMeteoCurrent::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"current");
    return {
        presentValue<OpenMeteoLocalTime>(o, u"time"),
        presentValue<double>(o, u"temperature_2m"),
        json::readOptionalInt(o, u"relative_humidity_2m"),
        json::readOptionalDouble(o, u"apparent_temperature"),
        presentValue<double>(o, u"precipitation"),
        presentValue<int>(o, u"weather_code"),
        json::readOptionalInt(o, u"cloud_cover"),
        json::readOptionalDouble(o, u"wind_speed_10m"),
    };
}

OpenMeteoHourly OpenMeteoHourly::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"hourly");
    return {
        requiredSeries<OpenMeteoLocalTime>(o, u"time"),
        requiredSeries<double>(o, u"temperature_2m"),
        optionalSeries<int>(o, u"relative_humidity_2m"),
        optionalSeries<double>(o, u"apparent_temperature"),
        optionalSeries<double>(o, u"precipitation_probability"),
        optionalSeries<double>(o, u"precipitation"),
        requiredSeries<int>(o, u"weather_code"),
        optionalSeries<double>(o, u"wind_speed_10m"),
    };
}

OpenMeteoDaily OpenMeteoDaily::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"daily");
    return {
        requiredSeries<QDate>(o, u"time"),
        requiredSeries<int>(o, u"weather_code"),
        requiredSeries<double>(o, u"temperature_2m_max"),
        requiredSeries<double>(o, u"temperature_2m_min"),
        optionalSeries<double>(o, u"precipitation_probability_max"),
        optionalSeries<OpenMeteoLocalTime>(o, u"sunrise"),
        optionalSeries<OpenMeteoLocalTime>(o, u"sunset"),
    };
}

OpenMeteoForecastResponse OpenMeteoForecastResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"forecast");
    std::optional<int> offset;
    if (const auto v = json::optional(o, u"utc_offset_seconds")) {
        offset = json::asInt(*v, u"utc_offset_seconds");
        // Real zones lie within UTC-12 and UTC+14; anything beyond a day is not a zone offset.
        if (*offset <= -86400 || *offset >= 86400)
            throw DecodingError(QStringLiteral("Number out of range for \"utc_offset_seconds\""));
    }
    return {
        offset,
        json::readOptionalString(o, u"timezone"),
        block<OpenMeteoCurrent>(o, u"current"),
        block<OpenMeteoHourly>(o, u"hourly"),
        block<OpenMeteoDaily>(o, u"daily"),
    };
}

} // namespace nimbra
