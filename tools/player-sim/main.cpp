// player-sim: one or more simulated Orvik players on one discovery socket.
#include "discoverylistener.h"
#include "playeroptions.h"
#include "simulatedplayer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("player-sim"));

    QCommandLineParser parser;
    PlayerOptions::describe(parser);
    parser.process(app);
    QString error;
    const auto options = PlayerOptions::fromParser(parser, &error);
    if (!options) {
        std::fprintf(stderr, "player-sim: %s\n", qPrintable(error));
        return 2;
    }

    DiscoveryListener listener;
    if (!listener.bind(options->bindAddress, options->discoveryPort, &error)) {
        std::fprintf(stderr, "player-sim: cannot bind UDP port %u: %s\n",
                     unsigned(options->discoveryPort), qPrintable(error));
        return 1;
    }

    for (int i = 1; i <= options->count; ++i) {
        auto *player = new SimulatedPlayer(options->playerName(i), options->playlist,
                                           options->activeIndex, options->behaviour, &app);
        if (options->seed)
            player->seed(*options->seed + quint32(i));
        player->setSourceAddress(options->sourceAddress);
        QObject::connect(player, &SimulatedPlayer::logged, &app, &printLine);
        if (!player->start(options->bindAddress, options->playerPort(i), &error)) {
            std::fprintf(stderr, "player-sim: %s cannot open its command port: %s\n",
                         qPrintable(player->name()), qPrintable(error));
            return 1;
        }
        QObject::connect(&listener, &DiscoveryListener::datagramReceived, player,
                         &SimulatedPlayer::handleDatagram);
    }
    return app.exec();
}
