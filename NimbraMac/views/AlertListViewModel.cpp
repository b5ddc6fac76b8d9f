#include "AlertListViewModel.h"

#include "WeatherProviderKind.h"

#include <QCoreApplication>

namespace nimbra {

QString severityWord(WeatherAlertSeverity severity) {
    static constexpr std::array<const char*, 4> words = {QT_TRANSLATE_NOOP("AlertListViewModel", "Minor"),
                                                         QT_TRANSLATE_NOOP("AlertListViewModel", "Moderate"),
                                                         QT_TRANSLATE_NOOP("AlertListViewModel", "Severe"),
                                                         QT_TRANSLATE_NOOP("AlertListViewModel", "Extreme")};
    return QCoreApplication::translate("AlertListViewModel", words[static_cast<std::size_t>(severity)]);
}

ColorToken severityTint(WeatherAlertSeverity severity) {
    switch (severity) {
    case WeatherAlertSeverity::severe:
    case WeatherAlertSeverity::extreme:
        return ColorToken::of(Tint::red);
    case WeatherAlertSeverity::minor:
    case WeatherAlertSeverity::moderate:
        return ColorToken::of(Tint::orange);
    }
    return ColorToken::of(Tint::orange);
}

AlertListViewModel buildAlertListViewModel(const QList<WeatherAlert>& alerts) {
    AlertListViewModel vm;
    if (alerts.isEmpty()) {
        vm.emptyText = QCoreApplication::translate("AlertListViewModel", "No active official alerts.");
        return vm;
    }
    for (const WeatherAlert& alert : alerts) {
        vm.cards.append({alert.id, alert.title, severityWord(alert.severity), severityTint(alert.severity),
                         alert.summary, providers::displayName(alert.source)});
    }
    return vm;
}

} // namespace nimbra
