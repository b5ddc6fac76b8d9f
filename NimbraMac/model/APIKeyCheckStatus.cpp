#include "APIKeyCheckStatus.h"

#include "WeatherFormatting.h"

namespace nimbra {

QString APIKeyCheckStatus::title() const {
    switch (kind) {
    case Kind::notChecked:
        return QStringLiteral("Not checked");
    case Kind::missing:
        return QStringLiteral("Missing");
    case Kind::checking:
        return QStringLiteral("Checking");
    case Kind::valid:
        return QStringLiteral("Working");
    case Kind::invalid:
        return QStringLiteral("Not working");
    }
    return {};
}

std::optional<QString> APIKeyCheckStatus::detail(const LocalCalendar& calendar) const {
    switch (kind) {
    case Kind::missing:
        return QStringLiteral("Enter an API key.");
    case Kind::valid:
        return QStringLiteral("Checked ") + WeatherFormatting::compactTime(checkedAt, calendar);
    case Kind::invalid:
        return message;
    default:
        return std::nullopt;
    }
}

size_t qHash(const APIKeyCheckStatus& status, size_t seed) noexcept {
    seed = qHashMulti(seed, static_cast<int>(status.kind));
    if (status.kind == APIKeyCheckStatus::Kind::valid)
        return qHash(status.checkedAt, seed);
    if (status.kind == APIKeyCheckStatus::Kind::invalid)
        return qHash(status.message, seed);
    return seed;
}

} // namespace nimbra
