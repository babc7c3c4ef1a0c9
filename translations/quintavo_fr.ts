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
    <name>GroupBar</name>
    <message>
        <source>Group %1</source>
        <extracomment>A group&apos;s button above the list of players, for screen readers; %1 is its name.</extracomment>
        <translation>Groupe %1</translation>
    </message>
    <message>
        <source>Rename</source>
        <extracomment>In a group&apos;s menu: gives the group another name.</extracomment>
        <translation>Renommer</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>In a group&apos;s menu: deletes the group; its players stay listed.</extracomment>
        <translation>Supprimer</translation>
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
    <name>NameInput</name>
    <message>
        <source>Save</source>
        <extracomment>Saves the name typed for a group.</extracomment>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <extracomment>Closes the panel for a group&apos;s name without saving.</extracomment>
        <translation>Annuler</translation>
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
        <extracomment>On a selected player&apos;s row: it did not answer the switch in time.
----------
Read by screen readers after a player&apos;s name and address.</extracomment>
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
    <message>
        <source>Players</source>
        <extracomment>The list of players, for screen readers.</extracomment>
        <translation>Lecteurs</translation>
    </message>
    <message>
        <source>switching</source>
        <extracomment>On a selected player&apos;s row while it is told to switch.</extracomment>
        <translation>changement en cours</translation>
    </message>
    <message>
        <source>no such video</source>
        <extracomment>On a selected player&apos;s row: its playlist has no video of the description chosen.</extracomment>
        <translation>vidéo introuvable</translation>
    </message>
    <message>
        <source>cannot be reached</source>
        <extracomment>On a selected player&apos;s row: its address refused or could not be reached.</extracomment>
        <translation>injoignable</translation>
    </message>
    <message>
        <source>plays another video</source>
        <extracomment>On a selected player&apos;s row: it answered, but plays another video than the one chosen.</extracomment>
        <translation>lit une autre vidéo</translation>
    </message>
    <message>
        <source>did not say what it plays</source>
        <extracomment>On a selected player&apos;s row: its answer did not say what it plays.</extracomment>
        <translation>n’a pas dit ce qu’il lit</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <extracomment>Read by screen readers after a player&apos;s row: its place in the list shown, such as 3 of 8.</extracomment>
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>PlayerMenu</name>
    <message>
        <source>Forget</source>
        <extracomment>In a player&apos;s menu on the list: takes the player off the list, also at the next start.</extracomment>
        <translation>Oublier</translation>
    </message>
    <message>
        <source>Deselect</source>
        <extracomment>In a player&apos;s menu on the list: takes the player out of the players selected.</extracomment>
        <translation>Désélectionner</translation>
    </message>
    <message>
        <source>Select</source>
        <extracomment>In a player&apos;s menu on the list: selects the player; from then on a tap selects or deselects a row.</extracomment>
        <translation>Sélectionner</translation>
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
    <name>SelectionBar</name>
    <message>
        <source>%1 of %2 switched</source>
        <extracomment>Sums up a switch of several players: %1 of them switched, of %2.</extracomment>
        <translation>%1 sur %2 changés</translation>
    </message>
    <message>
        <source>%1 is not answering</source>
        <extracomment>After the sum of a switch of several players; %1 is a player&apos;s name.</extracomment>
        <translation>%1 ne répond pas</translation>
    </message>
    <message>
        <source>%1 has no such video</source>
        <extracomment>After the sum of a switch of several players; %1 is a player&apos;s name.</extracomment>
        <translation>%1 n’a pas cette vidéo</translation>
    </message>
    <message>
        <source>%1 cannot be reached</source>
        <extracomment>After the sum of a switch of several players; %1 is a player&apos;s name.</extracomment>
        <translation>%1 est injoignable</translation>
    </message>
    <message>
        <source>%1 plays another video</source>
        <extracomment>After the sum of a switch of several players; %1 is a player&apos;s name.</extracomment>
        <translation>%1 lit une autre vidéo</translation>
    </message>
    <message>
        <source>%1 did not say what it plays</source>
        <extracomment>After the sum of a switch of several players; %1 is a player&apos;s name.</extracomment>
        <translation>%1 n’a pas dit ce qu’il lit</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>The sum of a switch of several players (%1), then those that did not switch (%2).</extracomment>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>%1 selected</source>
        <extracomment>In the bar over the list while players are selected; %1 is how many.</extracomment>
        <translation>%1 sélectionné(s)</translation>
    </message>
    <message>
        <source>Play</source>
        <extracomment>In the bar while players are selected: plays one video on all of them.
----------
The list of videos to play on the selected players, for screen readers.</extracomment>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Forget</source>
        <extracomment>In the bar while players are selected: takes them off the list.</extracomment>
        <translation>Oublier</translation>
    </message>
    <message>
        <source>Save as group</source>
        <extracomment>In the bar while players are selected: names them as a group.</extracomment>
        <translation>Enregistrer comme groupe</translation>
    </message>
    <message>
        <source>Clear</source>
        <extracomment>In the bar while players are selected: selects none.</extracomment>
        <translation>Tout désélectionner</translation>
    </message>
    <message>
        <source>%1 — %2 of %3</source>
        <extracomment>An entry to play on the selected players: the video (%1), how many of them hold it (%2) and how many there are (%3).</extracomment>
        <translation>%1 — %2 sur %3</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>v%1</source>
        <extracomment>The version label in a corner of the window; %1 is the version, such as 0.9.2.</extracomment>
        <translation>v%1</translation>
    </message>
    <message>
        <source>Another group has that name.</source>
        <extracomment>Under the name typed for a group, when it is refused.</extracomment>
        <translation>Un autre groupe porte ce nom.</translation>
    </message>
    <message>
        <source>No player is selected.</source>
        <extracomment>Under the name typed for a group, when it is refused.</extracomment>
        <translation>Aucun lecteur n’est sélectionné.</translation>
    </message>
    <message>
        <source>That group is gone.</source>
        <extracomment>Under the name typed for a group, when it is refused.</extracomment>
        <translation>Ce groupe n’existe plus.</translation>
    </message>
    <message>
        <source>The settings file cannot be written.</source>
        <extracomment>Under the name typed for a group, when the settings file cannot be written.</extracomment>
        <translation>Le fichier de réglages ne peut pas être écrit.</translation>
    </message>
    <message>
        <source>Find: %1</source>
        <extracomment>In the header over the list while typing finds players; %1 is the text typed.</extracomment>
        <translation>Recherche : %1</translation>
    </message>
    <message>
        <source>Rename the group %1</source>
        <extracomment>Over the name typed for a group that is renamed; %1 is its name now.</extracomment>
        <translation>Renommer le groupe %1</translation>
    </message>
    <message>
        <source>Name the group of these players</source>
        <extracomment>Over the name typed for a new group of the selected players.</extracomment>
        <translation>Nom du groupe de ces lecteurs</translation>
    </message>
    <message>
        <source>A group&apos;s name cannot be empty or hold %1 or %2.</source>
        <extracomment>Under the name typed for a group, when it is refused; %1 and %2 are the characters / and .</extracomment>
        <translation>Le nom d’un groupe ne peut pas être vide ni contenir %1 ou %2.</translation>
    </message>
</context>
</TS>
