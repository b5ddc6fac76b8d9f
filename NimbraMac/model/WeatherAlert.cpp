#include "WeatherAlert.h"

#include "UUIDText.h"

namespace nimbra {

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
    // Fully encoded but for the delimiters: QUrl tells a raw "#" in the fragment from "%23", and encoding
    // both as "%23" would read back as another address. The text stays ASCII and reads back in strict mode.
    if (sourceURL)
        o.insert(QStringLiteral("sourceURL"),
                 sourceURL->toString(QUrl::EncodeSpaces | QUrl::EncodeUnicode | QUrl::EncodeReserved));
    return o;
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
