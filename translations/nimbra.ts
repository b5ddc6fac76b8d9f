<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>nimbra::AboutSettingsTab</name>
    <message>
        <location filename="../NimbraMac/app/AboutSettingsTab.cpp" line="+28"/>
        <source>Update feed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Package manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Nimbra checks its update feed for new versions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>This build has no update feed. Your package manager keeps Nimbra up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Nimbra</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Build</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Check for Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Sync</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Private location sync</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Privacy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Share anonymous usage statistics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Support</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Website and Support</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Privacy Policy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/AboutSettingsTab.h" line="+49"/>
        <source>A calm multi-source weather app for the Linux desktop. Forecasts are blended locally, locations sync privately through a folder you choose to sync, and widgets read cached snapshots.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Saved locations and preferences are copied to a private sync folder in your data folder (Nimbra/Sync) that you may sync with a tool of your choice. Widgets read cached snapshots.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Forecast blending, cache freshness, provider attribution and saved locations stay on this computer unless location sync is on. API keys stay in your keyring.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Anonymous usage statistics help count installs, launches, update adoption, and basic feature use. They do not include locations, forecast requests, forecast results, provider choices, settings values, or API keys.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>This build sends no usage statistics.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::AppDelegate</name>
    <message>
        <location filename="../NimbraMac/app/AppDelegate.h" line="+61"/>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Check for Updates...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::DashboardModel</name>
    <message>
        <location filename="../NimbraMac/app/DashboardModel.h" line="+21"/>
        <source>Not refreshed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::DashboardResizeHandle</name>
    <message>
        <location filename="../NimbraMac/app/DashboardResizeHandle.h" line="+37"/>
        <source>Drag to resize</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::DisplaySettingsTab</name>
    <message>
        <location filename="../NimbraMac/app/DisplaySettingsModel.cpp" line="+23"/>
        <source>-- pt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 pt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Refresh every %1 minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/DisplaySettingsTab.cpp" line="+26"/>
        <source>Units</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fahrenheit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Celsius</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Temperature Unit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>mph</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>km/h</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Wind Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Menu Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Show weather description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show confidence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Font Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Icon Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Forecast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show 12-hour graph</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show 12-hour cards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show severe weather alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/DisplaySettingsTab.h" line="+23"/>
        <source>The panel sets the size of tray icons and text.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::LocationSearchController</name>
    <message>
        <location filename="../NimbraMac/app/LocationSearchController.h" line="+32"/>
        <source>Searching</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No matching cities found.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::LocationsSettingsTab</name>
    <message>
        <location filename="../NimbraMac/app/LocationsSettingsTab.cpp" line="+61"/>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Search Results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Current Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Saved Locations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+111"/>
        <location line="+1"/>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/LocationsSettingsTab.h" line="+27"/>
        <source>Search city or place</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Search for a city to save it here.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::MacDashboardView</name>
    <message>
        <location filename="../NimbraMac/app/MacDashboardView.h" line="+56"/>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::MacLocationRow</name>
    <message>
        <location filename="../NimbraMac/app/MacLocationRow.h" line="+36"/>
        <source>Current Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Location access needed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Allow location access, or search for a city manually.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pinned at the top and used as the default forecast.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::MacSettingsView</name>
    <message>
        <location filename="../NimbraMac/app/MacSettingsView.cpp" line="+26"/>
        <source>Display</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Locations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sources</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::SourcesSettingsTab</name>
    <message>
        <location filename="../NimbraMac/app/SourcesSettingsModel.cpp" line="+22"/>
        <source>Not available on Linux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/SourcesSettingsTab.cpp" line="+40"/>
        <source>Consensus Sources</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>User API Keys</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/SourcesSettingsTab.h" line="+23"/>
        <source>Keys are kept in your desktop keyring (Secret Service), never in a file. Apple Weather, Open-Meteo, and MET Norway do not need user-entered keys.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::StepperButtons</name>
    <message>
        <location filename="../NimbraMac/app/SettingsControls.cpp" line="+130"/>
        <source>Decrement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Increment</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::UpdateMessageBox</name>
    <message>
        <location filename="../NimbraMac/app/UpdateMessageBox.cpp" line="+29"/>
        <source>Nimbra</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/app/UpdateMessageBox.h" line="+24"/>
        <source>Open Download Page</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::Updater</name>
    <message>
        <location filename="../NimbraMac/app/Updater.cpp" line="+37"/>
        <source>The update feed did not answer within %1 seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The update feed could not be reached. %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The update feed answered with HTTP status %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The update feed could not be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The update feed lists no versions.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::UpdaterController</name>
    <message>
        <location filename="../NimbraMac/app/UpdaterController.cpp" line="+56"/>
        <source>Updates are not available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>This build has no update feed. Your package manager keeps Nimbra up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Nimbra is up to date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Version %1 is the newest version available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Install it with your package manager.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Install it with your package manager or from the download page.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A new version of Nimbra is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nimbra %1 is available; you have %2. %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Could not check for updates</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::VantaSettingsRoot</name>
    <message>
        <location filename="../NimbraMac/app/VantaSettingsRoot.cpp" line="+46"/>
        <source>Nimbra Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
