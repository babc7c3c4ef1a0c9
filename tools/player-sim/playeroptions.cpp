#include "playeroptions.h"

#include <QCommandLineParser>

namespace {

std::optional<quint16> portValue(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

std::optional<int> numberValue(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

} // namespace

QString PlayerOptions::playerName(int i) const
{
    return count == 1 ? name : QStringLiteral("%1-%2").arg(name).arg(i);
}

quint16 PlayerOptions::playerPort(int i) const
{
    return port == 0 ? 0 : static_cast<quint16>(port + i - 1);
}

void PlayerOptions::describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Simulated Orvik media players: they answer the hub's discovery datagrams by "
        "registering, and answer its playlist requests and switch commands."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("name"), QStringLiteral("Host name the player registers under."),
         QStringLiteral("NAME"), QStringLiteral("orvik-lobby")},
        {QStringLiteral("port"),
         QStringLiteral("Command port (0: any free port; with --count, the first of a range)."),
         QStringLiteral("PORT"), QStringLiteral("0")},
        {QStringLiteral("bind"), QStringLiteral("Address the command port listens on."),
         QStringLiteral("ADDRESS"), QStringLiteral("0.0.0.0")},
        {QStringLiteral("source"),
         QStringLiteral("Local address of the link to the hub, and so the address the player "
                        "registers under (default: the system's choice)."),
         QStringLiteral("ADDRESS")},
        {QStringLiteral("discovery-port"), QStringLiteral("UDP port for discovery datagrams."),
         QStringLiteral("PORT"), QString::number(PlayerProtocol::discoveryPort)},
        {QStringLiteral("playlist"),
         QStringLiteral("JSON file: a whole reply object or its \"quintavo\" array."),
         QStringLiteral("FILE")},
        {QStringLiteral("active"), QStringLiteral("Initial activeIndex."), QStringLiteral("N")},
        {QStringLiteral("count"),
         QStringLiteral("Number of players in this process, named NAME-1 to NAME-N."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("silent-registration"),
         QStringLiteral("Connect back to the hub but never send the record.")},
        {QStringLiteral("short-record"),
         QStringLiteral("Send a record shorter than its length bytes promise, then nothing.")},
        {QStringLiteral("split-replies"),
         QStringLiteral("Write each reply in 3 pieces, 20 ms apart.")},
        {QStringLiteral("junk-replies"), QStringLiteral("Answer with text that is not JSON.")},
        {QStringLiteral("mute"),
         QStringLiteral("Take commands (a switch still switches) but never answer them.")},
        {QStringLiteral("reply-delay"), QStringLiteral("Answer MS milliseconds after a command."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("answer-jitter"),
         QStringLiteral("Answer each scan after a random delay of up to MS milliseconds."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("miss-broadcasts"),
         QStringLiteral("Miss this share of the datagrams sent to a broadcast address, in "
                        "percent, chosen at random."),
         QStringLiteral("PERCENT"), QStringLiteral("0")},
        {QStringLiteral("seed"),
         QStringLiteral("Seed of the random choices (delays, missed broadcasts): the same seed "
                        "makes the same choices."),
         QStringLiteral("N")},
        {QStringLiteral("refuse-commands"),
         QStringLiteral("Announce a command port on which connections are refused.")},
        {QStringLiteral("no-terminator"),
         QStringLiteral("Reply without the 0x00 and close the link after replying.")},
    });
}

std::optional<PlayerOptions> PlayerOptions::fromParser(const QCommandLineParser &parser,
                                                       QString *error)
{
    PlayerOptions options;
    options.name = parser.value(QStringLiteral("name"));

    const auto port = portValue(parser.value(QStringLiteral("port")));
    const auto discoveryPort = portValue(parser.value(QStringLiteral("discovery-port")));
    const auto count = numberValue(parser.value(QStringLiteral("count")), 1, maximumCount);
    const auto delay = numberValue(parser.value(QStringLiteral("reply-delay")), 0, 3600 * 1000);
    const auto jitter = numberValue(parser.value(QStringLiteral("answer-jitter")), 0, 60 * 1000);
    const auto miss = numberValue(parser.value(QStringLiteral("miss-broadcasts")), 0, 100);
    if (!port || !discoveryPort || *discoveryPort == 0) {
        *error = QStringLiteral("a port must be a number from 1 to 65535 (--port may be 0)");
        return std::nullopt;
    }
    if (!count) {
        *error = QStringLiteral("--count must be from 1 to %1").arg(maximumCount);
        return std::nullopt;
    }
    if (!delay || !jitter) {
        *error = QStringLiteral("--reply-delay and --answer-jitter take milliseconds (at most "
                                "an hour and a minute)");
        return std::nullopt;
    }
    if (*port != 0 && *port + *count - 1 > 65535) {
        *error = QStringLiteral("--port plus --count runs past 65535");
        return std::nullopt;
    }
    options.port = *port;
    options.discoveryPort = *discoveryPort;
    options.count = *count;
    options.behaviour.replyDelay = *delay;
    options.behaviour.answerJitter = *jitter;
    if (!miss) {
        *error = QStringLiteral("--miss-broadcasts takes a percentage from 0 to 100");
        return std::nullopt;
    }
    options.behaviour.missBroadcasts = *miss;
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed takes a number");
            return std::nullopt;
        }
    }

    if (!options.bindAddress.setAddress(parser.value(QStringLiteral("bind")))) {
        *error = QStringLiteral("--bind needs an IP address");
        return std::nullopt;
    }

    if (parser.isSet(QStringLiteral("source"))
        && !options.sourceAddress.setAddress(parser.value(QStringLiteral("source")))) {
        *error = QStringLiteral("--source needs an IP address");
        return std::nullopt;
    }

    if (parser.isSet(QStringLiteral("playlist"))) {
        const QString path = parser.value(QStringLiteral("playlist"));
        QString reason;
        const auto playlist = Playlist::load(path, &reason);
        if (!playlist) {
            *error = QStringLiteral("cannot use playlist %1: %2").arg(path, reason);
            return std::nullopt;
        }
        options.playlist = *playlist;
        options.activeIndex = playlist->activeIndex().value_or(0);
    }
    if (parser.isSet(QStringLiteral("active"))) {
        const auto active = numberValue(parser.value(QStringLiteral("active")), 0, 65535);
        if (!active) {
            *error = QStringLiteral("--active must be a selection index from 0 to 65535");
            return std::nullopt;
        }
        options.activeIndex = *active;
    }

    PlayerBehaviour &behaviour = options.behaviour;
    behaviour.silentRegistration = parser.isSet(QStringLiteral("silent-registration"));
    behaviour.shortRecord = parser.isSet(QStringLiteral("short-record"));
    behaviour.junkReplies = parser.isSet(QStringLiteral("junk-replies"));
    behaviour.mute = parser.isSet(QStringLiteral("mute"));
    behaviour.refuseCommands = parser.isSet(QStringLiteral("refuse-commands"));
    behaviour.noTerminator = parser.isSet(QStringLiteral("no-terminator"));
    if (parser.isSet(QStringLiteral("split-replies")))
        behaviour.replyPieces = 3;
    return options;
}
