#include "UserDefaults.h"

#include <QSettings>

namespace nimbra {

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    return std::make_shared<SettingsUserDefaults>(std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nimbra"), QStringLiteral("Nimbra")));
}

SettingsUserDefaults::SettingsUserDefaults(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {}

SettingsUserDefaults::~SettingsUserDefaults() = default;

QVariant SettingsUserDefaults::value(const QString& key) const {
    return m_settings->value(key);
}

bool SettingsUserDefaults::contains(const QString& key) const {
    return m_settings->contains(key);
}

void SettingsUserDefaults::setValue(const QString& key, const QVariant& value) {
    m_settings->setValue(key, value);
}

void SettingsUserDefaults::removeObject(const QString& key) {
    m_settings->remove(key);
}

} // namespace nimbra
