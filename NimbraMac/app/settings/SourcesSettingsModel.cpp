#include "SourcesSettingsModel.h"

#include <QCoreApplication>

namespace nimbra::sourcessettings {

using K = WeatherProviderKind;
using Status = APIKeyCheckStatus::Kind;

const QList<WeatherProviderKind>& switchableProviders() {
    static const QList<K> list = {K::openMeteo, K::weatherKit, K::openWeather, K::metNorway, K::tomorrowIO};
    return list;
}

const QList<WeatherProviderKind>& keyedProviders() {
    static const QList<K> list = {K::openWeather, K::tomorrowIO};
    return list;
}

std::optional<QString> providerNote(WeatherProviderKind kind) {
    if (kind == K::weatherKit)
        return QCoreApplication::translate("nimbra::SourcesSettingsTab", "Not available on Linux");
    return std::nullopt;
}

namespace {

Tint tintOf(const APIKeyCheckStatus& status) {
    switch (status.kind) {
    case Status::valid:
        return Tint::green;
    case Status::invalid:
    case Status::missing:
        return Tint::orange;
    case Status::notChecked:
    case Status::checking:
        return Tint::secondary;
    }
    return Tint::secondary;
}

QString symbolOf(const APIKeyCheckStatus& status) {
    switch (status.kind) {
    case Status::valid:
        return QStringLiteral("checkmark.circle.fill");
    case Status::invalid:
        return QStringLiteral("exclamationmark.triangle.fill");
    case Status::notChecked:
        return QStringLiteral("questionmark.circle.fill");
    case Status::missing:
        return QStringLiteral("key.slash.fill");
    case Status::checking:
        return {};
    }
    return {};
}

} // namespace

BadgeLook badgeLook(const APIKeyCheckStatus& status) {
    return {symbolOf(status), status.title(), tintOf(status)};
}

std::optional<DetailLine> detailLine(const APIKeyCheckStatus& status, const LocalCalendar& calendar) {
    const auto detail = status.detail(calendar);
    if (!detail || detail->isEmpty())
        return std::nullopt;
    return DetailLine{*detail, tintOf(status)};
}

bool canCheck(const APIKeyCheckStatus& status, const QString& storedKey) {
    if (status.kind == Status::missing || status.kind == Status::checking)
        return false;
    return !storedKey.isEmpty();
}

} // namespace nimbra::sourcessettings
