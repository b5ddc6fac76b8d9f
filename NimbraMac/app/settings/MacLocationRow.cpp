#include "MacLocationRow.h"

#include "Translations.h"

#include <QStringList>

namespace nimbra {

QString MacLocationRow::shownSymbol() const {
    return isSelected ? QStringLiteral("checkmark.circle.fill") : systemImage;
}

Tint MacLocationRow::symbolTint() const {
    if (isSelected)
        return Tint::blue;
    return isWarning ? Tint::orange : Tint::secondary;
}

namespace locationrows {

QString coordinateText(const WeatherLocation& location, const QLocale& locale) {
    return locale.toString(location.latitude, 'f', 2) + QStringLiteral(", ") +
           locale.toString(location.longitude, 'f', 2);
}

std::optional<QString> regionText(const WeatherLocation& location) {
    QStringList pieces;
    for (const QString& piece : location.subtitle.split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            pieces.append(trimmed);
    }
    if (pieces.isEmpty() || pieces.last() == location.name)
        return std::nullopt;
    return pieces.last();
}

QString currentLocationSubtitle(const WeatherLocation& location, bool needsResolution,
                                const QLocale& locale) {
    if (needsResolution)
        return translatedText("nimbra::MacLocationRow", accessNeededText);
    if (const auto region = regionText(location))
        return location.name + QStringLiteral(", ") + *region;
    if (!location.subtitle.isEmpty())
        return location.subtitle;
    return coordinateText(location, locale);
}

QString placeSubtitle(const WeatherLocation& location, const QLocale& locale) {
    return location.subtitle.isEmpty() ? coordinateText(location, locale) : location.subtitle;
}

MacLocationRow currentLocationRow(const WeatherLocation& location, const CurrentLocationState& state,
                                  const QLocale& locale) {
    QString detail = translatedText("nimbra::MacLocationRow", resolvedDetail);
    if (state.isResolving)
        detail = state.status;
    else if (state.needsResolution)
        detail = translatedText("nimbra::MacLocationRow", needsResolutionDetail);
    return {translatedText("nimbra::MacLocationRow", currentLocationTitle),
            currentLocationSubtitle(location, state.needsResolution, locale),
            detail,
            QStringLiteral("location.fill"),
            state.isSelected,
            state.needsResolution};
}

MacLocationRow savedLocationRow(const WeatherLocation& location, bool isSelected, const QLocale& locale) {
    return {location.name, placeSubtitle(location, locale),
            std::nullopt,  QStringLiteral("mappin.circle.fill"),
            isSelected,    false};
}

MacLocationRow searchResultRow(const WeatherLocation& location, const QLocale& locale) {
    return {location.name, placeSubtitle(location, locale),
            std::nullopt,  QStringLiteral("plus.circle.fill"),
            false,         false};
}

} // namespace locationrows
} // namespace nimbra
