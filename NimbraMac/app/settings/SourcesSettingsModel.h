#pragma once

#include "APIKeyCheckStatus.h"
#include "ViewTokens.h"
#include "WeatherProviderKind.h"

#include <QList>
#include <QString>

#include <optional>

namespace nimbra {

// The sources tab's fixed lists and the look of one key check, apart from any widget.
namespace sourcessettings {

// The providers a user may switch, in the order shown; the retired ones never appear.
const QList<WeatherProviderKind>& switchableProviders();
// The providers whose key the user enters.
const QList<WeatherProviderKind>& keyedProviders();
// A short note beside a provider's switch; none for a provider that works here. Apple Weather has no
// service on Linux, so it would fail at every refresh.
std::optional<QString> providerNote(WeatherProviderKind kind);

// How APIKeyStatusBadge shows a status: a symbol, or the small progress indicator while checking.
struct BadgeLook {
    QString symbolName; // empty while checking: the progress indicator stands there
    QString title;
    Tint tint = Tint::secondary;
    bool operator==(const BadgeLook&) const = default;
};
BadgeLook badgeLook(const APIKeyCheckStatus& status);

// The line under a key row, tinted like the badge; nothing when the status has no (or an empty) detail.
struct DetailLine {
    QString text;
    Tint tint = Tint::secondary;
    bool operator==(const DetailLine&) const = default;
};
std::optional<DetailLine> detailLine(const APIKeyCheckStatus& status,
                                     const LocalCalendar& calendar = LocalCalendar::system());

// "Check" is offered for a stored key that is neither missing nor being checked.
bool canCheck(const APIKeyCheckStatus& status, const QString& storedKey);

} // namespace sourcessettings
} // namespace nimbra
