#include "AboutSettingsTab.h"

#include "FitLabel.h"
#include "SettingsControls.h"
#include "SymbolIcon.h"
#include "Translations.h"
#include "ViewTheme.h"
#include "WrapLabel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>

namespace nimbra {

namespace aboutsettings {

QString versionText(const QString& version) {
    return version.isEmpty() ? fallbackVersion : version;
}

QString buildText(const QString& build) {
    return build.isEmpty() ? fallbackBuild : build;
}

QString updatesValue(bool hasFeed) {
    return hasFeed ? QCoreApplication::translate("nimbra::AboutSettingsTab", "Update feed")
                   : QCoreApplication::translate("nimbra::AboutSettingsTab", "Package manager");
}

QString updatesCaption(bool hasFeed) {
    return hasFeed ? QCoreApplication::translate("nimbra::AboutSettingsTab",
                                                 "Nimbra checks its update feed for new versions.")
                   : QCoreApplication::translate(
                         "nimbra::AboutSettingsTab",
                         "This build has no update feed. Your package manager keeps Nimbra up to date.");
}

} // namespace aboutsettings

namespace {

QWidget* valueText(const QString& text) {
    return new FitLabel(text, settingsstyle::value);
}

} // namespace

AboutSettingsTab::AboutSettingsTab(SettingsBinding binding, AboutEnvironment environment, QWidget* parent)
    : SettingsForm(parent), m_binding(binding), m_environment(std::move(environment)) {
    auto* product = addSection(tr("Nimbra"));
    product->addCaption(translatedText("nimbra::AboutSettingsTab", productText), settingsstyle::value);
    product->addRow(tr("Version"), valueText(aboutsettings::versionText(m_environment.version)));
    product->addRow(tr("Build"), valueText(aboutsettings::buildText(m_environment.build)));

    auto* updates = addSection(tr("Updates"));
    updates->addRow(tr("Updates"), valueText(aboutsettings::updatesValue(m_environment.hasUpdateFeed)));
    m_checkForUpdates = new QPushButton(tr("Check for Updates"));
    setSymbolIcon(m_checkForUpdates, QStringLiteral("arrow.triangle.2.circlepath"));
    auto* buttonBox = new QWidget;
    auto* buttonLine = new QHBoxLayout(buttonBox);
    buttonLine->setContentsMargins(0, 0, 0, 0);
    buttonLine->addWidget(m_checkForUpdates);
    buttonLine->addStretch(1);
    updates->addRow(buttonBox);
    // The same handler as the tray menu's entry, including its answer when no updater is available.
    connect(m_checkForUpdates, &QPushButton::clicked, this, &AboutSettingsTab::checkForUpdatesRequested);
    updates->addCaption(aboutsettings::updatesCaption(m_environment.hasUpdateFeed));

    auto* sync = addSection(tr("Sync"));
    m_sync = new ToggleSwitch;
    m_sync->setAccessibleName(tr("Private location sync"));
    sync->addRow(tr("Private location sync"), m_sync);
    connect(m_sync, &ToggleSwitch::clicked, this,
            [this](bool on) { m_binding.write(&WeatherSettings::useICloudSync, on); });
    sync->addCaption(translatedText("nimbra::AboutSettingsTab", syncCaption));

    auto* privacy = addSection(tr("Privacy"));
    m_statistics = new ToggleSwitch;
    m_statistics->setAccessibleName(tr("Share anonymous usage statistics"));
    privacy->addRow(tr("Share anonymous usage statistics"), m_statistics);
    // Without an endpoint nothing could be sent: the switch shows that it has no effect.
    m_statistics->setEnabled(m_environment.hasTelemetryEndpoint);
    connect(m_statistics, &ToggleSwitch::clicked, this, [this](bool on) {
        m_environment.telemetryEnabled = on;
        Q_EMIT telemetryEnabledChanged(on);
    });
    if (!m_environment.hasTelemetryEndpoint)
        privacy->addCaption(translatedText("nimbra::AboutSettingsTab", noStatisticsCaption));
    privacy->addCaption(translatedText("nimbra::AboutSettingsTab", privacyCaption));
    privacy->addCaption(translatedText("nimbra::AboutSettingsTab", statisticsCaption));

    m_support = addSection(tr("Support"));
    m_website = linkButton(tr("Website and Support"), QStringLiteral("safari"), m_environment.websiteURL);
    m_privacy = linkButton(tr("Privacy Policy"), QStringLiteral("lock.doc"), m_environment.privacyURL);
    auto* links = new QWidget;
    auto* linkLine = new QHBoxLayout(links);
    linkLine->setContentsMargins(0, 0, 0, 0);
    linkLine->addWidget(m_website);
    linkLine->addWidget(m_privacy);
    linkLine->addStretch(1);
    m_support->addRow(links);
    m_support->setVisible(!m_environment.websiteURL.isEmpty() || !m_environment.privacyURL.isEmpty());
    syncFromStore();
}

QPushButton* AboutSettingsTab::linkButton(const QString& title, const QString& symbol, const QUrl& url) {
    auto* button = new QPushButton(title);
    setSymbolIcon(button, symbol);
    button->setVisible(!url.isEmpty());
    connect(button, &QPushButton::clicked, this, [this, url] { Q_EMIT openURLRequested(url); });
    return button;
}

void AboutSettingsTab::syncFromStore() {
    {
        const QSignalBlocker blocker(m_sync);
        m_sync->setChecked(m_binding.settings().useICloudSync);
    }
    const QSignalBlocker blocker(m_statistics);
    // A switch that can send nothing shows off; the stored choice stays for a build with an endpoint.
    m_statistics->setChecked(m_statistics->isEnabled() && m_environment.telemetryEnabled);
}

} // namespace nimbra
