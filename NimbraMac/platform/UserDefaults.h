#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

namespace nimbra {

// Small per-user preferences by key.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    virtual QVariant value(const QString& key) const = 0;
    virtual bool contains(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    // Removing a key that is not there is harmless.
    virtual void removeObject(const QString& key) = 0;

    // The user's preferences file (~/.config/Nimbra/Nimbra.conf).
    static std::shared_ptr<UserDefaults> standard();
};

// Over a QSettings file that only its owner can read or write.
class SettingsUserDefaults final : public UserDefaults {
public:
    explicit SettingsUserDefaults(std::unique_ptr<QSettings> settings);
    ~SettingsUserDefaults() override;

    QVariant value(const QString& key) const override;
    bool contains(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void removeObject(const QString& key) override;

private:
    std::unique_ptr<QSettings> m_settings;
};

class InMemoryUserDefaults final : public UserDefaults {
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    bool contains(const QString& key) const override { return m_values.contains(key); }
    void setValue(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void removeObject(const QString& key) override { m_values.remove(key); }

    const QVariantMap& values() const { return m_values; }

private:
    QVariantMap m_values;
};

} // namespace nimbra
