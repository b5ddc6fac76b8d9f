#include "AlertListViewModel.h"

#include "WeatherProviderKind.h"

namespace nimbra {

QString severityWord(WeatherAlertSeverity severity) {
    QString word = rawValue(severity);
    word[0] = word.at(0).toUpper();
    return word;
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
        vm.emptyText = QStringLiteral("No active official alerts.");
        return vm;
    }
    for (const WeatherAlert& alert : alerts) {
        vm.cards.append({alert.id, alert.title, severityWord(alert.severity), severityTint(alert.severity),
                         alert.summary, providers::displayName(alert.source)});
    }
    return vm;
}

} // namespace nimbra
