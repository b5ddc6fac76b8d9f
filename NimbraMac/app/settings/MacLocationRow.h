#pragma once

#include "ViewTokens.h"
#include "WeatherLocation.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace nimbra {

// One row of the locations tab: what it says and how its symbol is marked. Plain value; MacLocationRowView
// draws it.
// (The "Mac" of the name is kept from the application's first platform; here it is a plain record.)
struct MacLocationRow {
    QString title;
    QString subtitle;              // hidden when empty
    std::optional<QString> detail; // hidden when absent or empty
    QString systemImage;           // the symbol when the row is not selected
    bool isSelected = false;
    bool isWarning = false;

    bool operator==(const MacLocationRow&) const = default;

    // A selected row shows a blue check mark instead of its own symbol.
    QString shownSymbol() const;
    Tint symbolTint() const;
    Tint detailTint() const { return isWarning ? Tint::orange : Tint::secondary; }
    bool showsSubtitle() const { return !subtitle.isEmpty(); }
    bool showsDetail() const { return detail && !detail->isEmpty(); }
};

namespace locationrows {

inline const QString currentLocationTitle =
    QStringLiteral(QT_TRANSLATE_NOOP("nimbra::MacLocationRow", "Current Location"));
inline const QString accessNeededText =
    QStringLiteral(QT_TRANSLATE_NOOP("nimbra::MacLocationRow", "Location access needed"));
inline const QString needsResolutionDetail = QStringLiteral(
    QT_TRANSLATE_NOOP("nimbra::MacLocationRow", "Allow location access, or search for a city manually."));
inline const QString resolvedDetail = QStringLiteral(
    QT_TRANSLATE_NOOP("nimbra::MacLocationRow", "Pinned at the top and used as the default forecast."));

// "51.51, -0.13": latitude first, exactly two fraction digits in the given locale.
QString coordinateText(const WeatherLocation& location, const QLocale& locale = QLocale());
// The last piece of the comma-separated subtitle, unless there is none or it is the place's own name.
std::optional<QString> regionText(const WeatherLocation& location);
// The second line of the current-location row.
QString currentLocationSubtitle(const WeatherLocation& location, bool needsResolution,
                                const QLocale& locale = QLocale());
// The second line of a search result or a saved place: its subtitle, else its coordinates.
QString placeSubtitle(const WeatherLocation& location, const QLocale& locale = QLocale());

struct CurrentLocationState {
    bool needsResolution = false;
    bool isResolving = false;
    QString status; // the store's text on the resolution
    bool isSelected = false;
};
MacLocationRow currentLocationRow(const WeatherLocation& location, const CurrentLocationState& state,
                                  const QLocale& locale = QLocale());
MacLocationRow savedLocationRow(const WeatherLocation& location, bool isSelected,
                                const QLocale& locale = QLocale());
MacLocationRow searchResultRow(const WeatherLocation& location, const QLocale& locale = QLocale());

} // namespace locationrows
} // namespace nimbra
