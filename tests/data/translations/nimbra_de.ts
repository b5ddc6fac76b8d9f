<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A small German translation for the tests: some texts translated, the rest left to the English. -->
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>nimbra::MacSettingsView</name>
    <message>
        <source>Display</source>
        <translation>Anzeige</translation>
    </message>
    <message>
        <source>Locations</source>
        <translation>Orte</translation>
    </message>
</context>
<context>
    <name>nimbra::DisplaySettingsTab</name>
    <message>
        <source>Show weather description</source>
        <translation>Wetterbeschreibung zeigen</translation>
    </message>
</context>
<context>
    <name>nimbra::LocationsSettingsTab</name>
    <message>
        <source>Search city or place</source>
        <translation>Stadt oder Ort suchen</translation>
    </message>
</context>
</TS>
