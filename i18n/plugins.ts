<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>PluginManager</name>
    <message>
        <source>Plugins</source>
        <translation>Plug-ins</translation>
    </message>
</context>
<context>
    <name>PluginPanel</name>
    <message>
        <source>Extensions</source>
        <translation>Extensions</translation>
    </message>
</context>
<context>
    <name>NewsPlugin</name>
    <message>
        <source>Actualites</source>
        <translation>News</translation>
    </message>
    <message>
        <source>Effacer</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Effacer les news</source>
        <translation>Clear the news</translation>
    </message>
</context>
<context>
    <name>CounterPlugin</name>
    <message>
        <source>Chrono</source>
        <translation>Timer</translation>
    </message>
</context>
</TS>
