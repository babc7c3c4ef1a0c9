<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>EntryLabel</name>
    <message>
        <source>Default</source>
        <extracomment>The entry that makes a player show its own default video, and what a player&apos;s row says it plays then.</extracomment>
        <translation>Vidéo par défaut</translation>
    </message>
    <message>
        <source>Video %1</source>
        <extracomment>A video the player sent without a description; %1 is its place in the playlist.</extracomment>
        <translation>Vidéo %1</translation>
    </message>
</context>
<context>
    <name>HeaderBar</name>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
</context>
<context>
    <name>PlayerList</name>
    <message>
        <source>last known: %1</source>
        <extracomment>After a player&apos;s address on its row, when the player no longer answers; %1 is the video it played when it last did.</extracomment>
        <translation>dernière lecture connue&#xa0;: %1</translation>
    </message>
    <message>
        <source>last known playing %1</source>
        <extracomment>Read by screen readers after a player&apos;s name and address; %1 is the video it played when it last answered.</extracomment>
        <translation>dernière lecture connue&#xa0;: %1</translation>
    </message>
    <message>
        <source>playing %1</source>
        <extracomment>Read by screen readers after a player&apos;s name and address; %1 is the video it plays.</extracomment>
        <translation>en lecture&#xa0;: %1</translation>
    </message>
    <message>
        <source>not answering</source>
        <extracomment>Read by screen readers after a player&apos;s name and address.</extracomment>
        <translation>ne répond pas</translation>
    </message>
    <message>
        <source>No Players Found</source>
        <translation>Aucun lecteur trouvé</translation>
    </message>
    <message>
        <source>Please make sure you are connected to the same&lt;br/&gt;network as the Media Players</source>
        <extracomment>Two lines of about the same length, split by &lt;br/&gt;.</extracomment>
        <translation>Vérifiez que vous êtes connecté au même réseau&lt;br/&gt;que les lecteurs multimédias</translation>
    </message>
    <message>
        <source>Port %1 is in use by another program; players cannot register.</source>
        <extracomment>%1 is a TCP port number.</extracomment>
        <translation>Le port %1 est utilisé par un autre programme&#xa0;; les lecteurs ne peuvent pas s’enregistrer.</translation>
    </message>
    <message>
        <source>last seen %1</source>
        <extracomment>On a player&apos;s row when it does not answer; %1 is the time today it last did, such as 08:12, or the date of a day before yesterday.</extracomment>
        <translation>vu pour la dernière fois %1</translation>
    </message>
    <message>
        <source>last seen yesterday %1</source>
        <extracomment>On a player&apos;s row when it does not answer; %1 is the time yesterday it last did, such as 17:40.</extracomment>
        <translation>vu pour la dernière fois hier %1</translation>
    </message>
    <message>
        <source>not seen yet</source>
        <extracomment>On the row of a player remembered from an earlier run that has not answered since the start.</extracomment>
        <translation>pas encore vu</translation>
    </message>
</context>
<context>
    <name>PlayerMenu</name>
    <message>
        <source>Forget</source>
        <extracomment>In a player&apos;s menu on the list: takes the player off the list, also at the next start.</extracomment>
        <translation>Oublier</translation>
    </message>
</context>
<context>
    <name>PlayerScreen</name>
    <message numerus="yes">
        <source>%n minute</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers; the singular of &quot;%n minutes&quot;.</extracomment>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers, as in &quot;1 minute 5 seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers; the singular of &quot;%n seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n seconde</numerusform>
            <numerusform>%n secondes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers, as in &quot;1 minute 5 seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n seconde</numerusform>
            <numerusform>%n secondes</numerusform>
        </translation>
    </message>
    <message>
        <source>Duration: %1 %2</source>
        <extracomment>A video&apos;s length: %1 is &quot;%n minutes&quot;, %2 is &quot;%n seconds&quot;.</extracomment>
        <translation>Durée&#xa0;: %1 %2</translation>
    </message>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <translation>
            <numerusform>%n seconde</numerusform>
            <numerusform>%n secondes</numerusform>
        </translation>
    </message>
    <message>
        <source>playing</source>
        <extracomment>Spoken by screen readers after the entry the player plays.</extracomment>
        <translation>en lecture</translation>
    </message>
    <message>
        <source>Duration: unknown</source>
        <translation>Durée&#xa0;: inconnue</translation>
    </message>
    <message>
        <source>duration unknown</source>
        <extracomment>Spoken by screen readers after a video&apos;s description.</extracomment>
        <translation>durée inconnue</translation>
    </message>
    <message>
        <source>not available</source>
        <extracomment>Spoken by screen readers after a video the player cannot play.</extracomment>
        <translation>indisponible</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>v%1</source>
        <extracomment>The version label in a corner of the window; %1 is the version, such as 0.9.2.</extracomment>
        <translation>v%1</translation>
    </message>
</context>
</TS>
