#include "SourcesSettingsTab.h"

#include "APIKeyStatusBadge.h"
#include "FitLabel.h"
#include "SettingsControls.h"
#include "SourcesSettingsModel.h"
#include "Translations.h"
#include "WrapLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace nimbra {

namespace {

// The switch, with the provider's note before it when it has one.
QWidget* withNote(ToggleSwitch* toggle, const std::optional<QString>& note) {
    if (!note)
        return toggle;
    auto* box = new QWidget;
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(10);
    auto* label = new FitLabel(*note, settingsstyle::caption);
    label->setObjectName(QStringLiteral("providerNote"));
    line->addWidget(label);
    line->addWidget(toggle);
    return box;
}

} // namespace

SourcesSettingsTab::SourcesSettingsTab(SettingsBinding binding, std::unique_ptr<APIKeyEditing> keyEditing,
                                       QWidget* parent)
    : SettingsForm(parent), m_binding(binding), m_keyEditing(std::move(keyEditing)) {
    auto* sources = addSection(tr("Consensus Sources"));
    for (const WeatherProviderKind kind : sourcessettings::switchableProviders()) {
        auto* toggle = new ToggleSwitch;
        toggle->setAccessibleName(providers::displayName(kind));
        sources->addRow(providers::displayName(kind), withNote(toggle, sourcessettings::providerNote(kind)));
        connect(toggle, &ToggleSwitch::clicked, this,
                [this, kind](bool on) { m_binding.setProviderEnabled(kind, on); });
        m_toggles.insert(kind, toggle);
    }
    auto* keys = addSection(tr("User API Keys"));
    for (const WeatherProviderKind kind : sourcessettings::keyedProviders())
        addKeyRow(keys, kind);
    keys->addCaption(translatedText("nimbra::SourcesSettingsTab", keysFootnote));
    syncFromStore();
    // Not kept: the keys show once the keyring gives them, and what the user types meanwhile stays.
    if (WeatherStore* store = m_binding.store())
        store->readAPIKeys();
}

void SourcesSettingsTab::addKeyRow(SettingsSection* section, WeatherProviderKind kind) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 2, 0, 2);
    column->setSpacing(6);
    auto* line = new QHBoxLayout;
    line->setSpacing(10);
    KeyRow row;
    auto* title = new FitLabel(providers::displayName(kind), settingsstyle::row);
    title->setFixedWidth(90);
    row.field = new QLineEdit;
    row.field->setEchoMode(QLineEdit::Password);
    row.field->setAccessibleName(providers::displayName(kind));
    row.field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhNoPredictiveText | Qt::ImhSensitiveData);
    row.badge = new APIKeyStatusBadge;
    row.check = new QPushButton(tr("Check"));
    line->addWidget(title);
    line->addWidget(row.field, 1);
    line->addWidget(row.badge);
    line->addWidget(row.check);
    column->addLayout(line);
    // Provider messages run long: the whole of one wraps, and the tab scrolls when it must.
    row.detail = new WrapLabel(QString(), settingsstyle::caption);
    column->addWidget(row.detail);
    section->addRow(box);

    // Only the user's edits count: text set from the store must not come back as an edit.
    connect(row.field, &QLineEdit::textEdited, this,
            [this, kind](const QString& text) { m_keyEditing->edit(text, kind); });
    connect(row.field, &QLineEdit::editingFinished, this, [this, kind] {
        // The field reads back the key as stored (trimmed) once the user is done with it.
        const QString stored = m_binding.store()->providerCredentials().apiKey(kind);
        QLineEdit* field = m_keys.value(kind).field;
        if (field->text() != stored)
            field->setText(stored);
    });
    connect(row.check, &QPushButton::clicked, this, [this, kind] {
        // Not kept: the check runs to its end even when the window closes, and its result stays in the store.
        m_keyEditing->flush();
        m_binding.store()->checkAPIKey(kind);
    });
    m_keys.insert(kind, row);
}

void SourcesSettingsTab::syncFromStore() {
    for (auto it = m_toggles.cbegin(); it != m_toggles.cend(); ++it) {
        const QSignalBlocker blocker(it.value());
        it.value()->setChecked(m_binding.isProviderEnabled(it.key()));
    }
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it)
        syncKeyRow(it.key(), it.value());
}

void SourcesSettingsTab::syncKeyRow(WeatherProviderKind kind, const KeyRow& row) {
    WeatherStore* store = m_binding.store();
    const QString stored = store->providerCredentials().apiKey(kind);
    // Leaves the user's typing alone (a trailing space is trimmed in the store, not under the cursor).
    if (row.field->text().trimmed() != stored) {
        const QSignalBlocker blocker(row.field);
        row.field->setText(stored);
    }
    const APIKeyCheckStatus status = store->apiKeyCheckStatus(kind);
    row.badge->setStatus(status);
    row.check->setEnabled(sourcessettings::canCheck(status, stored));
    const auto detail = sourcessettings::detailLine(status);
    row.detail->setVisible(detail.has_value());
    if (detail)
        row.detail->setStyle(TextToken{settingsstyle::caption.font, ColorToken::of(detail->tint)});
    row.detail->setText(detail ? detail->text : QString());
}

void SourcesSettingsTab::saveKeys() {
    m_keyEditing->flush();
}

} // namespace nimbra
