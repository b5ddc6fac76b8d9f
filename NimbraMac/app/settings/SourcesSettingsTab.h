#pragma once

#include "APIKeyEditing.h"
#include "SettingsBinding.h"
#include "SettingsForm.h"

#include <QHash>

class QLineEdit;
class QPushButton;

namespace nimbra {

class APIKeyStatusBadge;
class FitLabel;
class ToggleSwitch;
class WrapLabel;

// Which providers take part in the blend, and the keys of those that need one, with their checks.
class SourcesSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    static inline const QString keysFootnote = QStringLiteral(QT_TRANSLATE_NOOP(
        "nimbra::SourcesSettingsTab",
        "Keys are kept in your desktop keyring (Secret Service), never in a file. Apple Weather, Open-Meteo, "
        "and MET Norway do not need user-entered keys."));

    SourcesSettingsTab(SettingsBinding binding, std::unique_ptr<APIKeyEditing> keyEditing,
                       QWidget* parent = nullptr);
    void syncFromStore();
    // Keys typed just now reach the keyring (the window is going away).
    void saveKeys();

    ToggleSwitch* providerToggle(WeatherProviderKind kind) const { return m_toggles.value(kind); }
    QLineEdit* keyField(WeatherProviderKind kind) const { return m_keys.value(kind).field; }
    APIKeyStatusBadge* keyBadge(WeatherProviderKind kind) const { return m_keys.value(kind).badge; }
    QPushButton* checkButton(WeatherProviderKind kind) const { return m_keys.value(kind).check; }
    WrapLabel* keyDetail(WeatherProviderKind kind) const { return m_keys.value(kind).detail; }

private:
    struct KeyRow {
        QLineEdit* field = nullptr;
        APIKeyStatusBadge* badge = nullptr;
        QPushButton* check = nullptr;
        WrapLabel* detail = nullptr;
    };
    void addKeyRow(SettingsSection* section, WeatherProviderKind kind);
    void syncKeyRow(WeatherProviderKind kind, const KeyRow& row);

    SettingsBinding m_binding;
    std::unique_ptr<APIKeyEditing> m_keyEditing;
    QHash<WeatherProviderKind, ToggleSwitch*> m_toggles;
    QHash<WeatherProviderKind, KeyRow> m_keys;
};

} // namespace nimbra
