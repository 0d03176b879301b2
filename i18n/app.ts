<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>QObject</name>
    <message>
        <source>Chargement en cours...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>Chargement terrain</source>
        <translation>Loading terrain</translation>
    </message>
</context>
</TS>
