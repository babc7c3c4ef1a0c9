// The command line of player-sim, read into the settings of the players it runs.
#pragma once

#include "playerbehaviour.h"
#include "playerprotocol.h"
#include "playlist.h"

#include <QHostAddress>
#include <QString>

#include <optional>

class QCommandLineParser;

struct PlayerOptions
{
    static constexpr int maximumCount = 256;

    QString name = QStringLiteral("orvik-lobby");
    quint16 port = 0;
    QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    QHostAddress sourceAddress; // null: the system's choice
    quint16 discoveryPort = PlayerProtocol::discoveryPort;
    Playlist playlist = Playlist::demo();
    int activeIndex = 0;
    int count = 1;
    PlayerBehaviour behaviour;
    // Makes the random choices of player i (from 1) those of seed + i.
    std::optional<quint32> seed;

    // The name and command port of player number i (from 1) of count.
    QString playerName(int i) const;
    quint16 playerPort(int i) const;

    static void describe(QCommandLineParser &parser);
    // Reads a parser that describe() set up and that has processed the command line.
    static std::optional<PlayerOptions> fromParser(const QCommandLineParser &parser,
                                                   QString *error);
};
