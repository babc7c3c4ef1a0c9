#include "cliarguments.h"

#include "applicationinfo.h"
#include "extratargets.h"
#include "terminaltext.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

const QString program = QStringLiteral("quintavo-cli");

// Longest --wait or --timeout: a day.
constexpr double longestSeconds = 24 * 3600;

// Whole milliseconds of a count of seconds such as 2 or 0.5, or nothing.
std::optional<int> milliseconds(const QString &text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds >= 0 && seconds <= longestSeconds))
        return std::nullopt;
    return static_cast<int>(std::lround(seconds * 1000));
}

QString description()
{
    return QStringLiteral(
               "Finds Orvik media players on the local network, shows a player's playlist\n"
               "and switches a player to another video, without a display.\n"
               "\n"
               "Commands:\n"
               "  list [--wait SECONDS] [--json] [--playing] [--known]\n"
               "                                   the players that answer a scan: host name,\n"
               "                                   address and command port, tab-separated;\n"
               "                                   with --playing, what each plays; with\n"
               "                                   --known, those the application remembers\n"
               "                                   that did not answer too\n"
               "  playlist PLAYER [--json]         the player's videos: index (0 is Default),\n"
               "                                   description, M:SS, and * on the one playing\n"
               "  play PLAYER INDEX                switch the player to entry INDEX\n"
               "\n"
               "PLAYER is a host name or an address, found by a scan as in list, or\n"
               "ADDRESS:PORT, the player's command port, used with no scan.\n"
               "Scans also reach the addresses of --scan and of the list %1\n"
               "in %2;\n"
               "list's scan also those of the players the application remembers.\n"
               "\n"
               "Exit status: 0 done; 1 no answer in time, the player plays another entry,\n"
               "or no port to listen on; 2 usage error; 3 no such player among those found.")
        .arg(QLatin1String(ExtraTargets::settingsKey), ExtraTargets::settingsFile());
}

} // namespace

CliArguments CliArguments::usageError(const QString &message)
{
    CliArguments result;
    result.exitStatus = ExitStatus::usage;
    // The message may quote an argument, which a script may have taken from the network.
    result.error
        = program + QStringLiteral(": ") + TerminalText::escaped(message) + QLatin1Char('\n');
    return result;
}

CliArguments CliArguments::read(const QStringList &arguments,
                                const QList<QHostAddress> &storedTargets)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption scan = ExtraTargets::option();
    const QCommandLineOption wait(
        QStringLiteral("wait"),
        QStringLiteral("How long a scan gathers the players' registrations (default 2)."),
        QStringLiteral("SECONDS"), QStringLiteral("2"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("How long a player may take to answer (default 5)."),
        QStringLiteral("SECONDS"), QStringLiteral("5"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print JSON: list and playlist."));
    const QCommandLineOption playing(
        QStringLiteral("playing"),
        QStringLiteral("With list: ask every player what it plays (at most four at a time), "
                       "printed as a fourth column: the index and the description, 0 Default."));
    const QCommandLineOption known(
        QStringLiteral("known"),
        QStringLiteral("With list: also the players the application remembers that did not "
                       "answer, and a last field: \"answering\" or \"last seen\" and the time "
                       "(UTC)."));
    parser.addOptions({help, version, scan, wait, timeout, json, playing, known});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("list, playlist PLAYER or play PLAYER INDEX."),
                                 QStringLiteral("COMMAND [PLAYER [INDEX]]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(help)) {
        CliArguments result;
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        CliArguments result;
        result.output = program + QLatin1Char(' ') + ApplicationInfo::quintavo().versionText()
            + QLatin1Char('\n');
        return result;
    }

    CliRequest request;
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given: list, playlist or play (see --help)"));
    const QString command = words.takeFirst();
    int wanted = 0;
    if (command == QLatin1String("list")) {
        request.command = CliRequest::Command::List;
    } else if (command == QLatin1String("playlist")) {
        request.command = CliRequest::Command::Playlist;
        wanted = 1;
    } else if (command == QLatin1String("play")) {
        request.command = CliRequest::Command::Play;
        wanted = 2;
    } else {
        return usageError(
            QStringLiteral("unknown command \"%1\": list, playlist or play").arg(command));
    }
    if (words.size() != wanted) {
        static const QString forms[]
            = {QStringLiteral("list takes no arguments"), QStringLiteral("playlist takes PLAYER"),
               QStringLiteral("play takes PLAYER and INDEX")};
        return usageError(forms[wanted]);
    }

    if (wanted >= 1) {
        QString error;
        request.player = PlayerChoice::fromText(words.at(0), &error);
        if (!request.player)
            return usageError(QStringLiteral("PLAYER: ") + error);
    }
    if (wanted == 2) {
        bool ok = false;
        const uint index = words.at(1).toUInt(&ok);
        if (!ok || index > 65535)
            return usageError(QStringLiteral("INDEX must be a number from 0 to 65535, not \"%1\"")
                                  .arg(words.at(1)));
        request.index = static_cast<quint16>(index);
    }

    request.json = parser.isSet(json);
    request.playing = parser.isSet(playing);
    request.known = parser.isSet(known);
    if ((request.playing || request.known) && request.command != CliRequest::Command::List)
        return usageError(QStringLiteral("--playing and --known apply to list"));
    if (request.json && request.command == CliRequest::Command::Play)
        return usageError(QStringLiteral("--json applies to list and playlist"));
    const auto waitTime = milliseconds(parser.value(wait));
    const auto timeoutTime = milliseconds(parser.value(timeout));
    if (!waitTime || !timeoutTime)
        return usageError(QStringLiteral("--wait and --timeout take a number of seconds"));
    request.waitMilliseconds = *waitTime;
    request.timeoutMilliseconds = *timeoutTime;

    QString invalid;
    const auto targets = ExtraTargets::parseAll(parser.values(scan), &invalid);
    if (!targets)
        return usageError(QStringLiteral("--scan needs an IPv4 address, not \"%1\"").arg(invalid));
    request.extraTargets = ExtraTargets::withStored(*targets, storedTargets);

    CliArguments result;
    result.request = request;
    return result;
}
