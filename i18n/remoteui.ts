<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>RemoteChatUI</name>
    <message>
        <source>Envoyer</source>
        <translation>Send</translation>
    </message>
</context>
</TS>
