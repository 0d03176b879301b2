<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>MemoryManagementWindow</name>
    <message>
        <source>Ajouter fréquence courante</source>
        <translation>Add current frequency</translation>
    </message>
    <message>
        <source>Supprimer mémoire courante</source>
        <translation>Delete current memory</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>MemoryTableModel</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Frequence</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Callsign</source>
        <translation>Callsign</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Commentaire</source>
        <translation>Comment</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Supprimer cette mémoire ?</source>
        <translation>Delete this memory?</translation>
    </message>
</context>
</TS>
