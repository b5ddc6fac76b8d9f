#pragma once

#include "DailyForecast.h"
#include "LocalCalendar.h"
#include "ViewTokens.h"
#include "WeatherSettings.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>

namespace nimbra {

struct DailyRow {
    QDateTime date; // identity of the row and key of its expanded state
    QString weekday;
    WeatherCondition condition = WeatherCondition::unknown;
    QString lowHigh;
    QString rain;
    QString detail;
    bool expanded = false;
    double chevronDegrees = 0; // half a turn (pointing up) while expanded
    bool showsDivider = false;
    QString accessibilityLabel;
    bool operator==(const DailyRow&) const = default;
};

struct DailyListViewModel {
    static constexpr qsizetype maximumRows = 10;
    static constexpr double iconSize = 28;

    QString sectionTitle = QCoreApplication::translate("DailyListViewModel", "Ten Day");
    QStringList columnTitles; // upper-cased: day, forecast, low / high, rain
    QList<DailyRow> rows;

    TextToken headerStyle{FontToken::style(TextStyle::caption2, FontWeight::semibold),
                          ColorToken::of(Tint::tertiary)};
    static constexpr double headerMinimumScale = 0.8;
    TextToken weekdayStyle{FontToken::style(TextStyle::callout), ColorToken::of(Tint::primary)};
    TextToken lowHighStyle{FontToken::style(TextStyle::callout).digits(), ColorToken::of(Tint::primary)};
    TextToken rainStyle{FontToken::style(TextStyle::callout).digits(), ColorToken::of(Tint::secondary)};
    TextToken detailStyle{FontToken::style(TextStyle::caption), ColorToken::of(Tint::secondary)};
    FontToken chevronFont = FontToken::style(TextStyle::caption2, FontWeight::semibold);
    ColorToken chevronTint = ColorToken::of(Tint::tertiary);
};

QString dailyDetailSentence(const DailyForecast& day, const WeatherSettings& settings);

DailyListViewModel buildDailyListViewModel(const QList<DailyForecast>& daily, const WeatherSettings& settings,
                                           const QSet<QDateTime>& expandedDays,
                                           const LocalCalendar& calendar);

// Opens a closed day or closes an open one; other days keep their state.
QSet<QDateTime> toggledDays(QSet<QDateTime> expandedDays, const QDateTime& day);

// Widths of the row's columns. The designed widths need 330 px; when the card is narrower (the popover at its
// smallest, less a scroll bar), columns first give up their spare room down to what their texts need, then
// the gaps narrow, and only then does the day column cut into its text.
struct DailyColumnWidths {
    double day = 96;
    double icon = 44;
    double lowHigh = 86;
    double rain = 42;
    double chevron = 12;
    double spacing = 10;

    double total() const { return day + icon + lowHigh + rain + chevron + 5 * spacing; }
    // Where the detail sentence starts: under the icon column.
    double detailIndent() const { return day + spacing; }
    bool operator==(const DailyColumnWidths&) const = default;
};

struct DailyColumnNeeds {
    double day = 0; // the widest text each column must show
    double icon = DailyListViewModel::iconSize;
    double lowHigh = 0;
    double rain = 0;
};

DailyColumnWidths dailyColumnWidths(double available, const DailyColumnNeeds& needs);

} // namespace nimbra
