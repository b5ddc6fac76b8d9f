#pragma once

#include "ViewTokens.h"
#include "WeatherAlert.h"

#include <QCoreApplication>
#include <optional>

namespace nimbra {

struct AlertCard {
    QUuid id;
    QString title; // as the provider sent it: shown as plain text
    QString severityWord;
    ColorToken severityTint;
    QString summary; // as the provider sent it: shown as plain text
    QString source;
    bool operator==(const AlertCard&) const = default;
};

struct AlertListViewModel {
    QString sectionTitle = QCoreApplication::translate("AlertListViewModel", "Alerts");
    std::optional<QString> emptyText; // the note shown instead of cards
    QList<AlertCard> cards;           // in the forecast's order, no limit

    TextToken emptyStyle{FontToken::style(TextStyle::callout), ColorToken::of(Tint::secondary)};
    TextToken titleStyle{FontToken::style(TextStyle::callout, FontWeight::semibold),
                         ColorToken::of(Tint::primary)};
    FontToken severityFont = FontToken::style(TextStyle::caption, FontWeight::medium);
    TextToken summaryStyle{FontToken::style(TextStyle::caption), ColorToken::of(Tint::secondary)};
    TextToken sourceStyle{FontToken::style(TextStyle::caption2), ColorToken::of(Tint::tertiary)};

    bool operator==(const AlertListViewModel&) const = default;
};

// "Minor", "Moderate", "Severe", "Extreme".
QString severityWord(WeatherAlertSeverity severity);
// Red for severe and extreme, orange otherwise.
ColorToken severityTint(WeatherAlertSeverity severity);

AlertListViewModel buildAlertListViewModel(const QList<WeatherAlert>& alerts);

} // namespace nimbra
