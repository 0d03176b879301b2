<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>Controller</name>
    <message>
        <source>Fichier</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Enregistrements (*.orvex)</source>
        <translation>Recordings (*.orvex)</translation>
    </message>
</context>
<context>
    <name>RfePlugin</name>
    <message>
        <source>Front-end</source>
        <translation>Front-end</translation>
    </message>
    <message>
        <source>Desactiver OL</source>
        <translation>Disable LO</translation>
    </message>
</context>
</TS>
