<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>zxVersionChecker</name>
    <message>
        <source>nouvelle version disponible:</source>
        <translation>new version available:</translation>
    </message>
    <message>
        <source>vous avez la derniere version
</source>
        <translation>you have the latest version
</translation>
    </message>
</context>
</TS>
