#pragma once

#include "LocalCalendar.h"
#include "ViewTokens.h"
#include "WeatherSample.h"
#include "WeatherSettings.h"

#include <QCoreApplication>
#include <optional>

namespace nimbra {

struct HourlyCard {
    QString hour;
    WeatherCondition condition = WeatherCondition::unknown;
    QString temperature;
    QString rain;
    std::optional<QString> wind;
    bool operator==(const HourlyCard&) const = default;
};

struct HourlyStripViewModel {
    static constexpr qsizetype maximumCards = 12;
    static constexpr double cardWidth = 70;
    static constexpr double cardHeight = 128;
    static constexpr double cardSpacing = 8;
    static constexpr double rowSpacing = 7;
    static constexpr double iconSize = 34;
    static constexpr double hourMinimumScale = 0.75;
    static constexpr double windMinimumScale = 0.75;

    QString sectionTitle = QCoreApplication::translate("HourlyStripViewModel", "Next 12 Hours");
    QList<HourlyCard> cards; // identified by position

    ColorToken cardFill = ColorToken::of(Tint::quaternary, 0.4);
    TextToken hourStyle{FontToken::style(TextStyle::caption2, FontWeight::medium),
                        ColorToken::of(Tint::secondary)};
    TextToken temperatureStyle{FontToken::style(TextStyle::caption, FontWeight::semibold).digits(),
                               ColorToken::of(Tint::primary)};
    TextToken detailStyle{FontToken::style(TextStyle::caption2).digits(), ColorToken::of(Tint::primary)};
    ColorToken rainTint = ColorToken::of(Tint::blue);
    ColorToken windTint = ColorToken::of(Tint::teal);

    bool operator==(const HourlyStripViewModel&) const = default;
};

HourlyStripViewModel buildHourlyStripViewModel(const QList<WeatherSample>& hourly,
                                               const WeatherSettings& settings,
                                               const LocalCalendar& calendar);

} // namespace nimbra
