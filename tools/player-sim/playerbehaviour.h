// The ways a simulated player may misbehave, so that tests can hold the hub to
// its deadlines and caps. The default is a well-behaved player.
#pragma once

struct PlayerBehaviour
{
    // Registration: connect back, take the greeting, then never send the record.
    bool silentRegistration = false;
    // Registration: send a record whose length bytes promise more than is sent.
    bool shortRecord = false;
    // Commands: accept no command links (connections are refused).
    bool refuseCommands = false;
    // Commands: taken (a switch still switches) but never answered; the link
    // stays open until the hub closes it.
    bool mute = false;
    // Replies: text that is not JSON, followed by 0x00.
    bool junkReplies = false;
    // Replies: no 0x00 after the JSON; the link is closed after the reply.
    bool noTerminator = false;
    // Replies: written in this many pieces, pieceGap ms apart.
    int replyPieces = 1;
    int pieceGap = 20;
    // Replies: sent this many ms after the command arrived.
    int replyDelay = 0;
    // Registration: each scan is answered after a random delay of up to this
    // many ms, as players on a busy network or on Wi-Fi answer.
    int answerJitter = 0;
    // Discovery: this share (in percent) of the datagrams sent to a broadcast
    // address is not heard, as on Wi-Fi, which neither acknowledges nor
    // resends broadcasts. Datagrams sent to the player's own address are.
    int missBroadcasts = 0;
};
