#pragma once

#include "SettingsBinding.h"
#include "SettingsForm.h"

#include <QUrl>

class QPushButton;

namespace nimbra {

class FitLabel;
class ToggleSwitch;
class WrapLabel;

// What the About tab shows of the build and of the application: the update feed, the telemetry switch and
// the maker's pages. An empty address switches its button off. What the user asks for there comes out as the
// tab's signals.
struct AboutEnvironment {
    QString version;
    QString build;
    bool hasUpdateFeed = false;
    bool hasTelemetryEndpoint = false;
    // Whether the statistics switch starts on; only the switch itself changes it afterwards.
    bool telemetryEnabled = false;
    QUrl websiteURL;
    QUrl privacyURL;
};

// The About tab's texts that depend on the build.
namespace aboutsettings {
inline const QString fallbackVersion = QStringLiteral("0.1.0");
inline const QString fallbackBuild = QStringLiteral("1");
QString versionText(const QString& version);
QString buildText(const QString& build);
QString updatesValue(bool hasFeed);
QString updatesCaption(bool hasFeed);
} // namespace aboutsettings

// What the application is and which version runs, the update check, the two privacy switches and the
// maker's pages.
class AboutSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    static inline const QString productText = QStringLiteral(QT_TRANSLATE_NOOP(
        "nimbra::AboutSettingsTab",
        "A calm multi-source weather app for the Linux desktop. Forecasts are blended "
        "locally, locations sync "
        "privately through a folder you choose to sync, and widgets read cached snapshots."));
    static inline const QString syncCaption = QStringLiteral(
        QT_TRANSLATE_NOOP("nimbra::AboutSettingsTab",
                          "Saved locations and preferences are copied to a private sync folder in your data "
                          "folder (Nimbra/Sync) "
                          "that you may sync with a tool of your choice. Widgets read cached snapshots."));
    static inline const QString privacyCaption = QStringLiteral(QT_TRANSLATE_NOOP(
        "nimbra::AboutSettingsTab",
        "Forecast blending, cache freshness, provider attribution and saved locations stay on this computer "
        "unless location sync is on. API keys stay in your keyring."));
    static inline const QString statisticsCaption = QStringLiteral(QT_TRANSLATE_NOOP(
        "nimbra::AboutSettingsTab",
        "Anonymous usage statistics help count installs, launches, update adoption, and basic "
        "feature use. They "
        "do not include locations, forecast requests, forecast results, provider choices, "
        "settings values, or "
        "API keys."));
    static inline const QString noStatisticsCaption = QStringLiteral(
        QT_TRANSLATE_NOOP("nimbra::AboutSettingsTab", "This build sends no usage statistics."));

    AboutSettingsTab(SettingsBinding binding, AboutEnvironment environment, QWidget* parent = nullptr);
    void syncFromStore();

    QPushButton* checkForUpdatesButton() const { return m_checkForUpdates; }
    ToggleSwitch* syncToggle() const { return m_sync; }
    ToggleSwitch* statisticsToggle() const { return m_statistics; }
    QPushButton* websiteButton() const { return m_website; }
    QPushButton* privacyButton() const { return m_privacy; }
    SettingsSection* supportSection() const { return m_support; }

Q_SIGNALS:
    void checkForUpdatesRequested();
    void telemetryEnabledChanged(bool on);
    // An address for the default browser.
    void openURLRequested(const QUrl& url);

private:
    QPushButton* linkButton(const QString& title, const QString& symbol, const QUrl& url);

    SettingsBinding m_binding;
    AboutEnvironment m_environment;
    QPushButton* m_checkForUpdates;
    ToggleSwitch* m_sync;
    ToggleSwitch* m_statistics;
    QPushButton* m_website;
    QPushButton* m_privacy;
    SettingsSection* m_support;
};

} // namespace nimbra
