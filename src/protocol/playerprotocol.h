// The bytes that cross the network between the hub and an Orvik player: the
// discovery datagram, the registration exchange and the commands and replies of
// a command link. Pure functions, no sockets: the hub, the player simulator, the
// tests and the fuzzers all call them directly.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace PlayerProtocol {

inline constexpr quint16 discoveryPort = 7775; // UDP, on the players' side
inline constexpr quint16 hubPort = 7925; // TCP, on which the hub takes registrations
inline constexpr int datagramSize = 9;

// Five body bytes (0x07, the length 9, 0x3A, the hub port big-endian) framed by
// their CRC-32: the low two CRC bytes in front, the high two behind, each pair
// least significant byte first. For port 7925: 8D 3D 07 09 3A 1E F5 60 39.
QByteArray discoveryDatagram(quint16 port);

// The player's check of a datagram: length, constants and CRC. Gives the hub
// port it announces, or nothing for any other datagram.
std::optional<quint16> parseDiscoveryDatagram(const QByteArray &datagram);

// "*ready!", 7 bytes, sent by the hub as soon as a player connects to register.
QByteArray greeting();

struct RegistrationRecord
{
    quint16 commandPort = 0;
    QString addressText;
    QString hostName;
};

// Longest possible record: 4 skipped bytes, port, two length bytes, two texts.
inline constexpr int maximumRecordSize = 4 + 2 + 1 + 255 + 1 + 255;

// The record a player answers the greeting with:
//   4 bytes (ignored) | command port, u16 big-endian | N1 | address (N1) | N2 | name (N2)
// Gives nothing until all 8+N1+N2 bytes are present; bytes after the record are
// ignored. A 0x00 inside a text ends that text there.
std::optional<RegistrationRecord> parseRegistrationRecord(const QByteArray &bytes);

// The player's side of the same record (simulator and tests). Texts longer than
// 255 bytes in UTF-8 are cut to 255.
QByteArray encodeRegistrationRecord(const RegistrationRecord &record, quint32 leading = 0);

// { "type" : "playlist" } and one 0x00: 24 bytes.
QByteArray playlistRequest();

// The switch command for a selection index (0 is the default video, k the k-th
// video of the playlist): 68 to 72 bytes including the closing 0x00.
QByteArray switchCommand(quint16 index);

// The player's side: the selection index of a switch command's text (without
// its 0x00), or nothing when the text is not a switch command.
std::optional<quint16> parseSwitchCommand(const QByteArray &command);

// A player's reply text (without its 0x00) as the object handed to the scene: an
// empty object for anything that is not a JSON object.
QJsonObject replyObject(const QByteArray &reply);

} // namespace PlayerProtocol

// Registration records cross from the thread that takes registrations to the hub.
Q_DECLARE_METATYPE(PlayerProtocol::RegistrationRecord)
