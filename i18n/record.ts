<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>SDRFileWriter</name>
    <message>
        <source>Duree totale (s) :</source>
        <translation>Total duration (s):</translation>
    </message>
</context>
<context>
    <name>Mp3FileWriter</name>
    <message>
        <source>Duree totale (s):</source>
        <translation>Total duration (s):</translation>
    </message>
</context>
<context>
    <name>WaveFileWriter</name>
    <message>
        <source>Duree totale (s):</source>
        <translation>Total duration (s):</translation>
    </message>
</context>
</TS>
