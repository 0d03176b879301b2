<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>MainReceiver</name>
    <message>
        <source>Vue generale du spectre rx</source>
        <translation>Overview of the rx spectrum</translation>
    </message>
    <message>
        <source>Marche</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Arret</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Mettre en marche/arreter le recepteur</source>
        <translation>Start/stop the receiver</translation>
    </message>
</context>
<context>
    <name>SubReceiver</name>
    <message>
        <source>Marche</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Arret</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Mettre en marche/arreter le recepteur</source>
        <translation>Start/stop the receiver</translation>
    </message>
    <message>
        <source>Gestion des memoires</source>
        <translation>Manage memories</translation>
    </message>
    <message>
        <source>Affichage niveau recu en dB</source>
        <translation>Received level in dB</translation>
    </message>
    <message>
        <source>Deverouiller le recepteur</source>
        <translation>Unlock the receiver</translation>
    </message>
    <message>
        <source>Verouiller le recepteur</source>
        <translation>Lock the receiver</translation>
    </message>
</context>
<context>
    <name>SpottedList</name>
    <message>
        <source>Seuil:</source>
        <translation>Threshold:</translation>
    </message>
    <message>
        <source>Seuil de detection en dB</source>
        <translation>Detection threshold in dB</translation>
    </message>
    <message>
        <source>Selection:</source>
        <translation>Selection:</translation>
    </message>
    <message>
        <source>-&gt;RXA</source>
        <translation>-&gt;RXA</translation>
    </message>
    <message>
        <source>Regler RXA</source>
        <translation>Tune RXA</translation>
    </message>
    <message>
        <source>-&gt;RXB</source>
        <translation>-&gt;RXB</translation>
    </message>
    <message>
        <source>Regler RXB</source>
        <translation>Tune RXB</translation>
    </message>
</context>
<context>
    <name>SpottedTableModel</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Frequence</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Niveau</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Angle Opt</source>
        <translation>Best angle</translation>
    </message>
    <message>
        <source>Heure</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>RadarView</name>
    <message>
        <source>Antenne</source>
        <translation>Antenna</translation>
    </message>
</context>
</TS>
