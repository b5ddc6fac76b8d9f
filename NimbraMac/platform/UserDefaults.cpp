#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace nimbra {
namespace {

// The file holds the install identifier, so only its owner may read it. QSettings replaces the file keeping
// the permissions it finds: a file made private here (or made by an older version and tightened here) stays
// private.
void keepPrivate(const QString& path) {
    if (path.isEmpty())
        return;
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    if (file.exists()) {
        file.setPermissions(ownerOnly);
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly);
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    return std::make_shared<SettingsUserDefaults>(std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nimbra"), QStringLiteral("Nimbra")));
}

SettingsUserDefaults::SettingsUserDefaults(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {
    keepPrivate(m_settings->fileName());
}

SettingsUserDefaults::~SettingsUserDefaults() = default;

QVariant SettingsUserDefaults::value(const QString& key) const {
    return m_settings->value(key);
}

bool SettingsUserDefaults::contains(const QString& key) const {
    return m_settings->contains(key);
}

void SettingsUserDefaults::setValue(const QString& key, const QVariant& value) {
    // Set again unchanged, the file would still be written anew, on the thread that set it, and waited for
    // on the disk.
    if (m_settings->contains(key) && m_settings->value(key) == value)
        return;
    m_settings->setValue(key, value);
}

void SettingsUserDefaults::removeObject(const QString& key) {
    m_settings->remove(key);
}

} // namespace nimbra
