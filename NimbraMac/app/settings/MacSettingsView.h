#pragma once

#include "AboutSettingsTab.h"
#include "LocationSearchController.h"
#include "WeatherStore.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QTabWidget;

namespace nimbra {

class APIKeyEditing;
class DisplaySettingsTab;
class LocationsSettingsTab;
class SettingsForm;
class SourcesSettingsTab;
class WrapLabel;

// What the settings window reaches outside the store. Tests replace the search and the timers.
struct SettingsEnvironment {
    AboutEnvironment about;
    // Empty: the Open-Meteo place search over a network session of its own.
    LocationSearchController::SearchFunction search;
    // Empty: real timers.
    std::function<std::unique_ptr<SingleShotTimer>()> makeTimer;
};

// The settings in four tabs, each control bound to the store; under them a line, wrapped whole, that says
// when the last change could not be saved. Controls are updated in place whenever the store changes. A tab is
// made when it is first shown, so the window opens with only the one it shows.
// (The "Mac" of the name is kept from the application's first platform; here it is a Qt widget.)
class MacSettingsView : public QWidget {
    Q_OBJECT
public:
    MacSettingsView(WeatherStore* store, SettingsEnvironment environment = {}, QWidget* parent = nullptr);
    ~MacSettingsView() override;

    // The window came on screen: a current location without a fix is resolved, and a search abandoned
    // when the window went away starts again.
    void appeared();
    // The window went away: the resolution it started and the running search are abandoned, typed keys
    // reach the keyring.
    void disappeared();
    // Shows the store's state in every control now (it otherwise follows on the next pass of the event loop).
    void syncFromStore();

    QTabWidget* tabs() const { return m_tabs; }
    // The first tab is made with the view; the others when first shown or asked for.
    DisplaySettingsTab* displayTab() const { return m_display; }
    LocationsSettingsTab* locationsTab();
    SourcesSettingsTab* sourcesTab();
    AboutSettingsTab* aboutTab();
    WrapLabel* warningLine() const { return m_warning; }

Q_SIGNALS:
    // The About tab's requests, whenever that tab is made.
    void checkForUpdatesRequested();
    void telemetryEnabledChanged(bool on);
    void openURLRequested(const QUrl& url);

private:
    enum Tab { display, locations, sources, about, tabCount };
    // The tab's form, made inside its page the first time.
    SettingsForm* makeTab(int index);

    QPointer<WeatherStore> m_store;
    // What the tabs not yet made will take.
    AboutEnvironment m_aboutEnvironment;
    LocationSearchController* m_search;
    std::unique_ptr<APIKeyEditing> m_keyEditing;
    QTabWidget* m_tabs;
    QWidget* m_pages[tabCount] = {};
    DisplaySettingsTab* m_display = nullptr;
    LocationsSettingsTab* m_locations = nullptr;
    SourcesSettingsTab* m_sources = nullptr;
    AboutSettingsTab* m_about = nullptr;
    WrapLabel* m_warning;
    // The store announces a change before making it: the controls follow once it is made.
    QTimer m_syncSoon;
    // Stops the current-location resolution started when the window appeared.
    CancellationToken m_resolution;
};

} // namespace nimbra
