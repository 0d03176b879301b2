<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>MesuresPlugin</name>
    <message>
        <source>Mesures</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Enregistrement interrompu : %1</source>
        <translation>Recording stopped: %1</translation>
    </message>
</context>
<context>
    <name>MesurementFileWriter</name>
    <message>
        <source>Erreur d&apos;écriture dans le fichier %1</source>
        <translation>Write error in file %1</translation>
    </message>
    <message>
        <source>Impossible de créer le fichier %1</source>
        <translation>Cannot create file %1</translation>
    </message>
</context>
</TS>
