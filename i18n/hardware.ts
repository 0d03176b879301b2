<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>HardwareTableModel</name>
    <message>
        <source>Librairie</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Frq min</source>
        <translation>Min freq</translation>
    </message>
    <message>
        <source>Frq max</source>
        <translation>Max freq</translation>
    </message>
    <message>
        <source>Bande def.</source>
        <translation>Default band</translation>
    </message>
    <message>
        <source>Non-Valide</source>
        <translation>Not valid</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>Natif IQ Audio</source>
        <translation>Native IQ audio</translation>
    </message>
    <message>
        <source>Distant</source>
        <translation>Remote</translation>
    </message>
    <message>
        <source>plugin HDSDR/SDR#</source>
        <translation>HDSDR/SDR# plug-in</translation>
    </message>
</context>
<context>
    <name>HardwareSelectionWindow</name>
    <message>
        <source>Freq. Echantillonnage :</source>
        <translation>Sample rate:</translation>
    </message>
    <message>
        <source>Choix de la frequence d&apos;echantillonnage du materiel</source>
        <translation>Choose the hardware sample rate</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Remote Beamhost</source>
        <translation>Remote Beamhost</translation>
    </message>
    <message>
        <source>Quitter le programme</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>Choix du SDR utilise</source>
        <translation>Choose the SDR to use</translation>
    </message>
    <message>
        <source>Utiliser </source>
        <translation>Use </translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Adresse reseau:</source>
        <translation>Network address:</translation>
    </message>
    <message>
        <source>Port TCP:</source>
        <translation>TCP port:</translation>
    </message>
    <message>
        <source>Certificat:</source>
        <translation>Certificate:</translation>
    </message>
    <message>
        <source>Votre nom:</source>
        <translation>Your name:</translation>
    </message>
    <message>
        <source>Acces reseau impossible ou refusé</source>
        <translation>Network access impossible or refused</translation>
    </message>
    <message>
        <source>Ajouter à votre liste de serveurs distants ?</source>
        <translation>Add to your list of remote servers?</translation>
    </message>
    <message>
        <source>Erreur d&apos;enregistrement</source>
        <translation>Saving failed</translation>
    </message>
</context>
<context>
    <name>AudioDeviceSelector</name>
    <message>
        <source>Sortie Audio :</source>
        <translation>Audio output:</translation>
    </message>
    <message>
        <source>Entree audio :</source>
        <translation>Audio input:</translation>
    </message>
    <message>
        <source>Choix de la carte son</source>
        <translation>Choose the sound card</translation>
    </message>
    <message>
        <source>Defaut</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Selection audio</source>
        <translation>Audio selection</translation>
    </message>
</context>
</TS>
