#include "cliarguments.h"

#include "commandoptions.h"
#include "extratargets.h"
#include "playergroups.h"

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
               "and switches players to another video, without a display.\n"
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
               "  play PLAYER... INDEX [--json]    switch the players to entry INDEX, all at once\n"
               "  play PLAYER... --video DESCRIPTION [--json]\n"
               "                                   switch each to its entry of DESCRIPTION\n"
               "  groups [--json]                  the groups and their members\n"
               "  groups save NAME HOSTNAME...     keep a group (replacing one of that name)\n"
               "  groups rename NAME NEWNAME\n"
               "  groups delete NAME\n"
               "\n"
               "PLAYER is a host name or an address, found by a scan as in list;\n"
               "ADDRESS:PORT, the player's command port, used with no scan; or @GROUP,\n"
               "the group's members by host name. --all adds every player that answers.\n"
               "Scans also reach the addresses of --scan and of the list %1,\n"
               "and groups are kept under [%3], in %2;\n"
               "list's scan also those of the players the application remembers.\n"
               "\n"
               "Exit status: 0 done (play: every player switched); 1 a player did not switch\n"
               "(no answer in time, refused, no such video, plays another entry), or no port\n"
               "to listen on, or the settings not written; 2 usage error; 3 a name that names\n"
               "nothing: no player of that name among those found, or no such group.")
        .arg(QLatin1String(ExtraTargets::settingsKey), ExtraTargets::settingsFile(),
             QLatin1String(PlayerGroups::settingsGroup));
}

} // namespace

CliArguments CliArguments::ended(const CommandOptions &options)
{
    CliArguments result;
    result.exitStatus = options.exitStatus().value_or(ExitStatus::ok);
    result.output = options.output();
    result.error = options.error();
    return result;
}

CliArguments CliArguments::read(const QStringList &arguments,
                                const QList<QHostAddress> &storedTargets)
{
    CommandOptions options(program, program, description());
    QCommandLineParser &parser = options.parser();
    const QCommandLineOption wait(
        QStringLiteral("wait"),
        QStringLiteral("How long a scan gathers the players' registrations (default 2)."),
        QStringLiteral("SECONDS"), QStringLiteral("2"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("How long a player may take to answer (default 5)."),
        QStringLiteral("SECONDS"), QStringLiteral("5"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Print JSON: list, playlist, groups, and with play each player's outcome."));
    const QCommandLineOption playing(
        QStringLiteral("playing"),
        QStringLiteral("With list: ask every player what it plays (at most four at a time), "
                       "printed as a fourth column: the index and the description, 0 Default."));
    const QCommandLineOption all(
        QStringLiteral("all"),
        QStringLiteral("With play: every player that answers the scan, besides those named."));
    const QCommandLineOption video(
        QStringLiteral("video"),
        QStringLiteral("With play: switch each player to its first entry of this description "
                       "(Default: entry 0), asking its playlist first."),
        QStringLiteral("DESCRIPTION"));
    const QCommandLineOption known(
        QStringLiteral("known"),
        QStringLiteral("With list: also the players the application remembers that did not "
                       "answer, and a last field: \"answering\" or \"last seen\" and the time "
                       "(UTC)."));
    parser.addOptions({wait, timeout, json, playing, all, video, known});
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("list, playlist PLAYER, play PLAYER... INDEX, or groups."),
        QStringLiteral("COMMAND [ARGUMENTS...]"));
    const auto usageError = [&](const QString &message) {
        options.fail(message);
        return ended(options);
    };

    if (!options.parse(arguments))
        return ended(options);

    CliRequest request;
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(
            QStringLiteral("no command given: list, playlist, play or groups (see --help)"));
    const QString command = words.takeFirst();
    if (command == QLatin1String("list")) {
        request.command = CliRequest::Command::List;
        if (!words.isEmpty())
            return usageError(QStringLiteral("list takes no arguments"));
    } else if (command == QLatin1String("playlist")) {
        request.command = CliRequest::Command::Playlist;
        if (words.size() != 1)
            return usageError(QStringLiteral("playlist takes PLAYER"));
        QString error;
        request.player = PlayerChoice::fromText(words.at(0), &error);
        if (!request.player)
            return usageError(QStringLiteral("PLAYER: ") + error);
        if (request.player->group())
            return usageError(QStringLiteral("playlist takes one player, not a group"));
    } else if (command == QLatin1String("play")) {
        request.command = CliRequest::Command::Play;
        request.all = parser.isSet(all);
        std::optional<QString> index;
        if (parser.isSet(video)) {
            request.video = parser.value(video);
            if (request.video->isEmpty())
                return usageError(QStringLiteral("--video needs the description of an entry"));
        } else if (!words.isEmpty())
            index = words.takeLast();
        if ((words.isEmpty() && !request.all) || (!index && !request.video))
            return usageError(
                QStringLiteral("play takes PLAYER... (or --all) and INDEX or --video DESCRIPTION"));
        for (const QString &word : qAsConst(words)) {
            QString error;
            const auto player = PlayerChoice::fromText(word, &error);
            if (!player)
                return usageError(QStringLiteral("PLAYER: ") + error);
            request.players.append(*player);
        }
        if (index) {
            bool ok = false;
            const uint number = index->toUInt(&ok);
            if (!ok || number > 65535)
                return usageError(
                    QStringLiteral("INDEX must be a number from 0 to 65535, not \"%1\"")
                        .arg(*index));
            request.index = static_cast<quint16>(number);
        }
    } else if (command == QLatin1String("groups")) {
        request.command = CliRequest::Command::Groups;
        const QString action = words.isEmpty() ? QString() : words.takeFirst();
        if (action.isEmpty()) {
            request.groupAction = CliRequest::GroupAction::List;
        } else if (action == QLatin1String("save") && words.size() >= 2) {
            request.groupAction = CliRequest::GroupAction::Save;
            request.groupName = words.takeFirst();
            request.members = words;
        } else if (action == QLatin1String("rename") && words.size() == 2) {
            request.groupAction = CliRequest::GroupAction::Rename;
            request.groupName = words.at(0);
            request.newName = words.at(1);
        } else if (action == QLatin1String("delete") && words.size() == 1) {
            request.groupAction = CliRequest::GroupAction::Delete;
            request.groupName = words.at(0);
        } else {
            return usageError(QStringLiteral("groups takes nothing, save NAME HOSTNAME..., "
                                             "rename NAME NEWNAME or delete NAME"));
        }
    } else {
        return usageError(
            QStringLiteral("unknown command \"%1\": list, playlist, play or groups").arg(command));
    }
    if (request.command != CliRequest::Command::Play && (parser.isSet(all) || parser.isSet(video)))
        return usageError(QStringLiteral("--all and --video apply to play"));

    request.json = parser.isSet(json);
    request.playing = parser.isSet(playing);
    request.known = parser.isSet(known);
    if ((request.playing || request.known) && request.command != CliRequest::Command::List)
        return usageError(QStringLiteral("--playing and --known apply to list"));
    if (request.json && request.command == CliRequest::Command::Groups
        && request.groupAction != CliRequest::GroupAction::List)
        return usageError(QStringLiteral("--json applies to groups alone, not to its changes"));
    const auto waitTime = milliseconds(parser.value(wait));
    const auto timeoutTime = milliseconds(parser.value(timeout));
    if (!waitTime || !timeoutTime)
        return usageError(QStringLiteral("--wait and --timeout take a number of seconds"));
    request.waitMilliseconds = *waitTime;
    request.timeoutMilliseconds = *timeoutTime;

    const auto targets = options.scanTargets(storedTargets);
    if (!targets)
        return ended(options);
    request.extraTargets = *targets;

    CliArguments result;
    result.request = request;
    return result;
}
