#include "WeatherAlert.h"

#include "UUIDText.h"

namespace nimbra {
namespace {

// Fully encoded but for the delimiters: QUrl tells a raw "#" in the fragment from "%23", and encoding both as
// "%23" would read back as another address. The text stays ASCII and reads back in strict mode.
QString sourceURLText(const QUrl& url) {
    return url.toString(QUrl::EncodeSpaces | QUrl::EncodeUnicode | QUrl::EncodeReserved);
}

} // namespace

QJsonObject WeatherAlert::toJson() const {
    QJsonObject o{
        {"id", uuidText(id)},
        {"source", rawValue(source)},
        {"title", title},
        {"summary", summary},
        {"severity", rawValue(severity)},
        {"effectiveAt", json::dateText(effectiveAt)},
        {"expiresAt", json::dateText(expiresAt)},
    };
    if (sourceURL)
        o.insert(QStringLiteral("sourceURL"), sourceURLText(*sourceURL));
    return o;
}

void WeatherAlert::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.field(QLatin1StringView("effectiveAt"), effectiveAt);
    out.field(QLatin1StringView("expiresAt"), expiresAt);
    out.field(QLatin1StringView("id"), id);
    out.field(QLatin1StringView("severity"), rawValueView(severity));
    out.field(QLatin1StringView("source"), rawValueView(source));
    if (sourceURL)
        out.field(QLatin1StringView("sourceURL"), QStringView(sourceURLText(*sourceURL)));
    out.field(QLatin1StringView("summary"), QStringView(summary));
    out.field(QLatin1StringView("title"), QStringView(title));
    out.endObject();
}

WeatherAlert WeatherAlert::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"WeatherAlert");
    std::optional<QUrl> url;
    if (const auto text = json::readOptionalString(o, u"sourceURL")) {
        QUrl parsed(*text, QUrl::StrictMode);
        if (!parsed.isValid() || parsed.isRelative())
            throw DecodingError(QStringLiteral("Malformed URL for \"sourceURL\""));
        url = parsed;
    }
    return {
        json::readUUID(o, u"id"),
        readEnum<WeatherProviderKind>(o, u"source"),
        json::readString(o, u"title"),
        json::readString(o, u"summary"),
        readEnum<WeatherAlertSeverity>(o, u"severity"),
        json::readDate(o, u"effectiveAt"),
        json::readDate(o, u"expiresAt"),
        url,
    };
}

} // namespace nimbra
