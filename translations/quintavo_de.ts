<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>EntryLabel</name>
    <message>
        <source>Default</source>
        <extracomment>The entry that makes a player show its own default video, and what a player&apos;s row says it plays then.</extracomment>
        <translation>Standardvideo</translation>
    </message>
    <message>
        <source>Video %1</source>
        <extracomment>A video the player sent without a description; %1 is its place in the playlist.</extracomment>
        <translation>Video %1</translation>
    </message>
</context>
<context>
    <name>HeaderBar</name>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
</context>
<context>
    <name>PlayerList</name>
    <message>
        <source>last known: %1</source>
        <extracomment>After a player&apos;s address on its row, when the player no longer answers; %1 is the video it played when it last did.</extracomment>
        <translation>zuletzt bekannt: %1</translation>
    </message>
    <message>
        <source>last known playing %1</source>
        <extracomment>Read by screen readers after a player&apos;s name and address; %1 is the video it played when it last answered.</extracomment>
        <translation>spielte zuletzt %1</translation>
    </message>
    <message>
        <source>playing %1</source>
        <extracomment>Read by screen readers after a player&apos;s name and address; %1 is the video it plays.</extracomment>
        <translation>spielt %1</translation>
    </message>
    <message>
        <source>not answering</source>
        <extracomment>Read by screen readers after a player&apos;s name and address.</extracomment>
        <translation>antwortet nicht</translation>
    </message>
    <message>
        <source>No Players Found</source>
        <translation>Keine Player gefunden</translation>
    </message>
    <message>
        <source>Please make sure you are connected to the same&lt;br/&gt;network as the Media Players</source>
        <extracomment>Two lines of about the same length, split by &lt;br/&gt;.</extracomment>
        <translation>Bitte stellen Sie sicher, dass Sie mit demselben&lt;br/&gt;Netzwerk wie die Mediaplayer verbunden sind</translation>
    </message>
    <message>
        <source>Port %1 is in use by another program; players cannot register.</source>
        <extracomment>%1 is a TCP port number.</extracomment>
        <translation>Port %1 wird von einem anderen Programm belegt; Player können sich nicht anmelden.</translation>
    </message>
    <message>
        <source>last seen %1</source>
        <extracomment>On a player&apos;s row when it does not answer; %1 is the time today it last did, such as 08:12, or the date of a day before yesterday.</extracomment>
        <translation>zuletzt gesehen %1</translation>
    </message>
    <message>
        <source>last seen yesterday %1</source>
        <extracomment>On a player&apos;s row when it does not answer; %1 is the time yesterday it last did, such as 17:40.</extracomment>
        <translation>zuletzt gesehen gestern %1</translation>
    </message>
    <message>
        <source>not seen yet</source>
        <extracomment>On the row of a player remembered from an earlier run that has not answered since the start.</extracomment>
        <translation>noch nicht gesehen</translation>
    </message>
</context>
<context>
    <name>PlayerMenu</name>
    <message>
        <source>Forget</source>
        <extracomment>In a player&apos;s menu on the list: takes the player off the list, also at the next start.</extracomment>
        <translation>Vergessen</translation>
    </message>
</context>
<context>
    <name>PlayerScreen</name>
    <message numerus="yes">
        <source>%n minute</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers; the singular of &quot;%n minutes&quot;.</extracomment>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers, as in &quot;1 minute 5 seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers; the singular of &quot;%n seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n Sekunde</numerusform>
            <numerusform>%n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <comment>spoken</comment>
        <extracomment>Spoken by screen readers, as in &quot;1 minute 5 seconds&quot;.</extracomment>
        <translation>
            <numerusform>%n Sekunde</numerusform>
            <numerusform>%n Sekunden</numerusform>
        </translation>
    </message>
    <message>
        <source>Duration: %1 %2</source>
        <extracomment>A video&apos;s length: %1 is &quot;%n minutes&quot;, %2 is &quot;%n seconds&quot;.</extracomment>
        <translation>Dauer: %1 %2</translation>
    </message>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <translation>
            <numerusform>%n Sekunde</numerusform>
            <numerusform>%n Sekunden</numerusform>
        </translation>
    </message>
    <message>
        <source>playing</source>
        <extracomment>Spoken by screen readers after the entry the player plays.</extracomment>
        <translation>wird abgespielt</translation>
    </message>
    <message>
        <source>Duration: unknown</source>
        <translation>Dauer: unbekannt</translation>
    </message>
    <message>
        <source>duration unknown</source>
        <extracomment>Spoken by screen readers after a video&apos;s description.</extracomment>
        <translation>Dauer unbekannt</translation>
    </message>
    <message>
        <source>not available</source>
        <extracomment>Spoken by screen readers after a video the player cannot play.</extracomment>
        <translation>nicht verfügbar</translation>
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
