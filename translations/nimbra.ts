<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>APIKeyCheckStatus</name>
    <message>
        <location filename="../NimbraMac/model/APIKeyCheckStatus.cpp" line="+12"/>
        <source>Not checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Checking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Working</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Not working</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Enter an API key.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Checked %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AlertListViewModel</name>
    <message>
        <location filename="../NimbraMac/views/AlertListViewModel.cpp" line="+10"/>
        <source>Minor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moderate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Severe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Extreme</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>No active official alerts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/views/AlertListViewModel.h" line="+22"/>
        <source>Alerts</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AppGroupContainer</name>
    <message>
        <location filename="../NimbraMac/platform/AppGroupContainer.cpp" line="+39"/>
        <source>No per-user data folder is available for the shared container.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Could not create the folder %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Could not create the folder %1: a file of that name is in the way.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ConsensusEngine</name>
    <message>
        <location filename="../NimbraMac/model/NextHoursSummary.cpp" line="+41"/>
        <source>Refresh to fetch the next few hours.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Sleet developing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Snow developing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Storms possible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Rain developing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Fog developing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Turning %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>dry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>low rain risk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>showers possible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>rain likely</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>light winds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>breezy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>windy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>warming later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>cooling later</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CurrentLocationError</name>
    <message>
        <location filename="../NimbraMac/store/CurrentLocationError.cpp" line="+10"/>
        <source>Location Services are disabled. Enable Location Services or search for a city manually.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Nimbra does not have location permission. Allow location access or search for a city manually.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Nimbra could not determine your current location.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Current location lookup was cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DailyListViewModel</name>
    <message>
        <location filename="../NimbraMac/views/DailyListViewModel.cpp" line="+10"/>
        <source>%1 conditions with a low of %2, a high of %3, and %4 chance of precipitation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Forecast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Low / High</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Forecast for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/views/DailyListViewModel.h" line="+32"/>
        <source>Ten Day</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DurableFile</name>
    <message>
        <location filename="../NimbraMac/platform/DurableFile.cpp" line="+63"/>
        <source>only %1 of %2 bytes could be written</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FetchOutcome</name>
    <message>
        <location filename="../NimbraMac/providers/FetchOutcome.cpp" line="+9"/>
        <source>The forecast could not be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Geocoder</name>
    <message>
        <location filename="../NimbraMac/platform/Geocoder.cpp" line="+77"/>
        <source>The place-name service answered with HTTP status %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The place-name service gave an unreadable answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The place-name service found no place.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HTTPSession</name>
    <message>
        <location filename="../NimbraMac/platform/HTTPSession.cpp" line="+43"/>
        <source>The request timed out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A server with the specified hostname could not be found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Could not connect to the server.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The network connection was lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>An SSL error has occurred and a secure connection to the server cannot be made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The Internet connection appears to be offline.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The request was redirected too many times or to an unsafe address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The proxy server could not be reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The network connection failed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HeroViewModel</name>
    <message>
        <location filename="../NimbraMac/views/HeroViewModel.cpp" line="+32"/>
        <location filename="../NimbraMacWidgets/WidgetContextMetric.cpp" line="+17"/>
        <source>Sunrise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>humid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>muggy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Sunset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>%1 and %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Rain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Wind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Humidity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>No Reading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Feels %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/views/HeroViewModel.h" line="+41"/>
        <source>Waiting for a forecast</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HourlyStripViewModel</name>
    <message>
        <location filename="../NimbraMac/views/HourlyStripViewModel.h" line="+32"/>
        <source>Next 12 Hours</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LocationManager</name>
    <message>
        <location filename="../NimbraMac/platform/LocationManager.cpp" line="+61"/>
        <source>No location source is available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+33"/>
        <source>The location service found no position in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The location service closed the connection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The location service failed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LocationSearchService</name>
    <message>
        <location filename="../NimbraMac/store/LocationSearchService.cpp" line="+114"/>
        <source>Enter a city or place to search.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Nimbra could not build a location search request.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Location search did not return usable results.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>METNorwayWeatherClient</name>
    <message>
        <location filename="../NimbraMac/providers/METNorwayWeatherClient.h" line="+18"/>
        <source>Weather data by MET Norway</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NimbraWidgetBundle</name>
    <message>
        <location filename="../NimbraMacWidgets/NimbraWidgetBundle.cpp" line="+23"/>
        <source>Current Weather</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A polished current forecast with consensus details.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Hourly Outlook</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A compact view of the next several hours.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Ten Day Forecast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Daily conditions, low and high temperatures, and rain chance.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OpenMeteoWeatherClient</name>
    <message>
        <location filename="../NimbraMac/providers/OpenMeteoWeatherClient.h" line="+18"/>
        <source>Weather data by Open-Meteo</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OpenWeatherMapping</name>
    <message>
        <location filename="../NimbraMac/providers/OpenWeatherMapping.cpp" line="+66"/>
        <source>Weather data by OpenWeather</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProviderClientFactory</name>
    <message>
        <location filename="../NimbraMac/providers/ProviderClientFactory.cpp" line="+51"/>
        <source>OpenWeather API key is missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Visual Crossing has been retired in Nimbra.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>NWS live client is not wired yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>WeatherAPI.com has been retired in Nimbra.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Tomorrow.io API key is missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Pirate Weather has been retired in Nimbra.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Unknown provider.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TemperatureUnit</name>
    <message>
        <location filename="../NimbraMac/model/TemperatureUnit.h" line="+22"/>
        <source>Fahrenheit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Celsius</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TomorrowIOMapping</name>
    <message>
        <location filename="../NimbraMac/providers/TomorrowIOMapping.cpp" line="+35"/>
        <source>Weather data by Tomorrow.io</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrendGraphViewModel</name>
    <message>
        <location filename="../NimbraMac/views/TrendGraphViewModel.cpp" line="+20"/>
        <source>Temp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Feels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Wind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Rain %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Humidity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+203"/>
        <source>12-hour %1 trend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/views/TrendGraphViewModel.h" line="+80"/>
        <source>12-Hour Trend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Not enough hourly data to draw a trend yet.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UnavailableWeatherService</name>
    <message>
        <location filename="../NimbraMac/platform/UnavailableWeatherService.h" line="+14"/>
        <source>Apple Weather is not available on this system.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VisualCrossingMapping</name>
    <message>
        <location filename="../NimbraMac/providers/VisualCrossingMapping.cpp" line="+25"/>
        <source>Weather data by Visual Crossing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+79"/>
        <source>Weather alert</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherAPIMapping</name>
    <message>
        <location filename="../NimbraMac/providers/WeatherAPIMapping.cpp" line="+31"/>
        <source>Weather data by WeatherAPI.com</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+96"/>
        <source>Weather alert</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherCache</name>
    <message>
        <location filename="../NimbraMac/store/WeatherCache.cpp" line="+87"/>
        <source>The weather snapshot could not be encoded: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>No per-user data folder is available for the weather snapshot.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Could not save the weather snapshot to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherCondition</name>
    <message>
        <location filename="../NimbraMac/model/WeatherCondition.cpp" line="+16"/>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mostly Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Partly Cloudy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cloudy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Drizzle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Heavy Rain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Thunderstorm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Snow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sleet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Windy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherFormatting</name>
    <message>
        <location filename="../NimbraMac/model/WeatherFormatting.cpp" line="+89"/>
        <source>Updated %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+73"/>
        <source>Weather --%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1% confidence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No live forecast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Live</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Partial</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Stale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>1 source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 sources</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 %4 %2 %4 %3% sure</source>
        <extracomment>%1 the state (Live, Partial, Stale), %2 the sources, %3 the percentage, %4 the separator</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherKitWeatherClient</name>
    <message>
        <location filename="../NimbraMac/providers/WeatherKitWeatherClient.h" line="+17"/>
        <source>Weather data by Apple Weather</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherProviderCredentialStore</name>
    <message>
        <location filename="../NimbraMac/providers/WeatherProviderCredentialStore.h" line="+31"/>
        <source>The API key could not be saved to the keyring. It is used until Nimbra quits.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherProviderHTTPError</name>
    <message>
        <location filename="../NimbraMac/providers/WeatherProviderHTTPError.cpp" line="+11"/>
        <source>Provider returned HTTP %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Provider returned HTTP %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherRefreshPipeline</name>
    <message>
        <location filename="../NimbraMac/providers/WeatherRefreshPipeline.h" line="+31"/>
        <source>Provider timed out.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WeatherWidgetViews</name>
    <message>
        <location filename="../NimbraMacWidgets/WeatherWidgetViews.cpp" line="+163"/>
        <source>Feels %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetBlockViews</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetBlockViews.cpp" line="+338"/>
        <source>Feels %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetBlocks</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetBlocks.cpp" line="+82"/>
        <source>1 alert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMacWidgets/WidgetBlocks.h" line="+129"/>
        <source>DAY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>LOW / HIGH</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>RAIN</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetContextMetric</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetContextMetric.cpp" line="-2"/>
        <source>Sun</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetEntryTexts</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetEntryTexts.cpp" line="+29"/>
        <source>Rain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Wind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Humidity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Weather</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>No forecast</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetLayouts</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetLayouts.cpp" line="+20"/>
        <source>Next hours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Ten day forecast</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetPlacements</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetPlacements.cpp" line="+98"/>
        <source>The widget layout could not be saved to %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindSpeedUnit</name>
    <message>
        <location filename="../NimbraMac/model/WindSpeedUnit.h" line="+23"/>
        <source>Miles per hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Kilometers per hour</source>
        <translation type="unfinished"></translation>
    </message>
</context>
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
        <location line="+25"/>
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
<context>
    <name>nimbra::WeatherStore</name>
    <message>
        <location filename="../NimbraMac/store/WeatherStore.cpp" line="+30"/>
        <source>Your saved weather data could not be read; your places were brought back from the synced copy. The unreadable file was kept as %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Your saved places could not be read, so Nimbra started without them. The unreadable file was kept as %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+228"/>
        <source>The saved weather data could not be read and could not be set aside (%1). It was left untouched.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+41"/>
        <source>Refresh to fetch live weather</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No live weather loaded yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../NimbraMac/store/WeatherStore.h" line="+68"/>
        <source>Resolving current location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Requesting current location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Current location resolved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Location unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Allow location access or search for a city to fetch live weather.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Refresh failed; showing the last available forecast.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No current weather returned.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Provider is unavailable.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Your places could not be written to the sync folder, so your other computers do not see this change yet. It is kept on this computer.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::WidgetBoard</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetBoard.cpp" line="+14"/>
        <source>Nimbra Widgets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Add Widget…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::WidgetGallery</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetGallery.cpp" line="+16"/>
        <source>Add Widget</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Add %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nimbra::WidgetWindow</name>
    <message>
        <location filename="../NimbraMacWidgets/WidgetWindow.cpp" line="+18"/>
        <source>Small</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Medium</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Add Widget…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Remove Widget</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
