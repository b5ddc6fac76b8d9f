#pragma once

#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "ViewTokens.h"
#include "WeatherContextMetricStrip.h"
#include "WeatherSettings.h"

#include <QCoreApplication>
#include <optional>

namespace nimbra {

enum class WeatherHeroPresentation { standard, macPopover };

// The sizes in which the two presentations differ.
struct HeroPresentationMetrics {
    double iconSize = 0;
    double iconFrame = 0;
    double temperatureFontSize = 0;
    double conditionsTopPadding = 0;
    bool operator==(const HeroPresentationMetrics&) const = default;
};
HeroPresentationMetrics heroPresentationMetrics(WeatherHeroPresentation presentation);

struct SunEvent {
    QString title; // "Sunrise" or "Sunset"
    QDateTime date;
    bool operator==(const SunEvent&) const = default;
};

// The earliest sunrise or sunset at or after now; on equal dates the first in day order (sunrise before
// sunset) wins.
std::optional<SunEvent> nextSunEvent(const QList<DailyForecast>& daily, const QDateTime& now);

// The last non-empty piece of the location's comma-separated subtitle, unless it is the location's name.
std::optional<QString> heroRegion(const WeatherLocation& location);

// What the views show in place of a forecast they do not have yet.
inline QString waitingForForecastSentence() {
    return QCoreApplication::translate("HeroViewModel", "Waiting for a forecast");
}

// One sentence about what is coming, from the consensus' comma-separated summary: the phrase that only
// repeats the current condition is dropped, two leading descriptor words are joined with "and".
QString heroSummarySentence(const QString& nextPrecipitationSummary, const QString& conditionTitle);

// Rain, wind, humidity and the next sun event, as far as they are known; at most four.
QList<WeatherContextMetricItem> heroMetricItems(const std::optional<WeatherSample>& current,
                                                const QList<DailyForecast>& daily,
                                                const WeatherSettings& settings, const QDateTime& now,
                                                const LocalCalendar& calendar);

struct HeroViewModel {
    HeroPresentationMetrics metrics;
    QString title;
    std::optional<QString> region;
    WeatherCondition iconCondition = WeatherCondition::unknown;
    QString temperature;
    QString conditionTitle;
    std::optional<QString> feelsLike;
    QList<WeatherContextMetricItem> metricItems;
    QString summary;
    std::optional<QString> statusLine;

    TextToken titleStyle{FontToken::style(TextStyle::title3, FontWeight::semibold),
                         ColorToken::of(Tint::primary)};
    TextToken regionStyle{FontToken::style(TextStyle::caption, FontWeight::medium),
                          ColorToken::of(Tint::secondary)};
    TextToken temperatureStyle;
    TextToken conditionStyle{FontToken::style(TextStyle::headline, FontWeight::medium),
                             ColorToken::of(Tint::primary)};
    TextToken feelsLikeStyle{FontToken::style(TextStyle::caption, FontWeight::semibold),
                             ColorToken::of(Tint::secondary)};
    ColorToken feelsLikeDot = ColorToken::of(Tint::tertiary);
    TextToken summaryStyle{FontToken::style(TextStyle::caption, FontWeight::semibold),
                           ColorToken::of(Tint::primary)};
    TextToken statusStyle{FontToken::style(TextStyle::caption2), ColorToken::of(Tint::secondary)};
    ColorToken statusDot = ColorToken::of(Tint::teal);
    ColorToken statusGlow = ColorToken::of(Tint::teal, 0.7);

    static constexpr double titleMinimumScale = 0.78;
    static constexpr double regionMinimumScale = 0.82;
    static constexpr double temperatureMinimumScale = 0.62;
    static constexpr double conditionMinimumScale = 0.78;
    static constexpr double statusMinimumScale = 0.82;
    static constexpr int statusMaximumLines = 2;

    bool operator==(const HeroViewModel&) const = default;
};

HeroViewModel buildHeroViewModel(const std::optional<ConsensusForecast>& forecast,
                                 const WeatherSettings& settings, WeatherHeroPresentation presentation,
                                 const QDateTime& now, const LocalCalendar& calendar);

} // namespace nimbra
