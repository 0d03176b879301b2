<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>ModulationSelector</name>
    <message>
        <source>Demodulateur USB</source>
        <translation>USB demodulator</translation>
    </message>
    <message>
        <source>Demodulateur LSB</source>
        <translation>LSB demodulator</translation>
    </message>
    <message>
        <source>Demodulateur CW</source>
        <translation>CW demodulator</translation>
    </message>
    <message>
        <source>Demodulateur AM</source>
        <translation>AM demodulator</translation>
    </message>
    <message>
        <source>Demodulateur NBFM</source>
        <translation>NBFM demodulator</translation>
    </message>
    <message>
        <source>Enregistrement pour post-traitements</source>
        <translation>Recording for post-processing</translation>
    </message>
    <message>
        <source>Largeur de bande demodulee</source>
        <translation>Demodulated bandwidth</translation>
    </message>
    <message>
        <source>Bande demod.:</source>
        <translation>Demod. band:</translation>
    </message>
    <message>
        <source>Spectre visible Waterfall</source>
        <translation>Visible waterfall spectrum</translation>
    </message>
    <message>
        <source>Bande Waterfall:</source>
        <translation>Waterfall span:</translation>
    </message>
    <message>
        <source>Moyennage FFT Waterfall</source>
        <translation>Waterfall FFT averaging</translation>
    </message>
    <message>
        <source>Moyen. Waterfall:</source>
        <translation>Waterfall avg.:</translation>
    </message>
    <message>
        <source>BFO sur le signal audio avant demodulation (RIT)</source>
        <translation>BFO on the audio signal before demodulation (RIT)</translation>
    </message>
    <message>
        <source>Valeur actuelle du BFO (RIT)</source>
        <translation>Current BFO value (RIT)</translation>
    </message>
    <message>
        <source>Remettre BFO a 0Hz</source>
        <translation>Reset BFO to 0 Hz</translation>
    </message>
</context>
</TS>
