#include "APIKeyCheckStatus.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>

namespace nimbra {

QString APIKeyCheckStatus::title() const {
    switch (kind) {
    case Kind::notChecked:
        return QCoreApplication::translate("APIKeyCheckStatus", "Not checked");
    case Kind::missing:
        return QCoreApplication::translate("APIKeyCheckStatus", "Missing");
    case Kind::checking:
        return QCoreApplication::translate("APIKeyCheckStatus", "Checking");
    case Kind::valid:
        return QCoreApplication::translate("APIKeyCheckStatus", "Working");
    case Kind::invalid:
        return QCoreApplication::translate("APIKeyCheckStatus", "Not working");
    }
    return {};
}

std::optional<QString> APIKeyCheckStatus::detail(const LocalCalendar& calendar) const {
    switch (kind) {
    case Kind::missing:
        return QCoreApplication::translate("APIKeyCheckStatus", "Enter an API key.");
    case Kind::valid:
        return QCoreApplication::translate("APIKeyCheckStatus", "Checked %1")
            .arg(WeatherFormatting::compactTime(checkedAt, calendar));
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
