#include "commandrunner.h"

#include "applicationsettings.h"
#include "clioutput.h"
#include "nowplaying.h"
#include "playcommand.h"
#include "playerexchange.h"
#include "playerfinder.h"
#include "playergroups.h"
#include "playerprotocol.h"
#include "terminaltext.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

void write(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandRunner::CommandRunner(CliRequest request, QObject *parent)
    : QObject(parent), m_request(std::move(request))
{ }

void CommandRunner::start()
{
    if (m_request.command == CliRequest::Command::Play) {
        auto *play = new PlayCommand(m_request, this);
        connect(play, &PlayCommand::finished, this, &CommandRunner::finished);
        play->start();
        return;
    }
    if (m_request.command == CliRequest::Command::Groups) {
        changeGroups();
        return;
    }
    if (m_request.player && m_request.player->isDirect()) {
        sendCommand(m_request.player->direct());
        return;
    }
    QList<QHostAddress> targets = m_request.extraTargets;
    // A list reaches the players the application remembers at their
    // addresses, also those on networks the broadcast does not reach.
    for (const RememberedPlayer &player : qAsConst(m_request.remembered)) {
        const QHostAddress address(player.address);
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !targets.contains(address))
            targets.append(address);
    }
    QList<PlayerChoice> wanted;
    if (m_request.player)
        wanted.append(*m_request.player);
    m_finder = new PlayerFinder(PlayerFinder::discoverySettings(targets),
                                m_request.waitMilliseconds, wanted, this);
    if (m_request.player) {
        connect(m_finder, &PlayerFinder::found, this,
                [this] { sendCommand(*m_finder->firstMatch(*m_request.player)); });
        connect(m_finder, &PlayerFinder::finished, this, &CommandRunner::reportUnknownPlayer);
    } else {
        connect(m_finder, &PlayerFinder::finished, this, &CommandRunner::listFound);
    }
    QString error;
    if (!m_finder->start(&error))
        fail(ExitStatus::failed, error);
}

void CommandRunner::listFound()
{
    m_found = m_finder->players();
    m_listedAt = QDateTime::currentDateTimeUtc();
    if (m_request.playing && !m_found.isEmpty())
        askWhatPlays();
    else
        printList();
}

void CommandRunner::askWhatPlays()
{
    // As the window asks: a playlist request each, four at a time.
    auto *nowPlaying = new NowPlaying(this);
    nowPlaying->setDeadline(m_request.timeoutMilliseconds);
    m_unasked = m_found.size();
    m_playing = CliOutput::PlayingAnswers(m_found.size());
    const auto done = [this] {
        if (--m_unasked == 0)
            printList();
    };
    connect(nowPlaying, &NowPlaying::answered, this,
            [this, done](const PlayerAddress &player,
                         const std::optional<PlayerAnswer::Playing> &answer) {
                for (int i = 0; i < m_found.size(); ++i)
                    if (m_found.at(i).at() == player)
                        m_playing[i] = answer;
                done();
            });
    connect(nowPlaying, &NowPlaying::unanswered, this, done);
    for (const FoundPlayer &player : qAsConst(m_found))
        nowPlaying->ask({player.address, player.port});
}

void CommandRunner::printList()
{
    QList<FoundPlayer> players = m_found;
    CliOutput::PlayingAnswers playing = m_playing;
    // Those that answered were seen by this scan.
    CliOutput::Sightings seen(m_found.size(), {true, m_listedAt});
    if (m_request.known) {
        for (const RememberedPlayer &player : qAsConst(m_request.remembered)) {
            const bool answered
                = std::any_of(m_found.cbegin(), m_found.cend(), [&](const FoundPlayer &found) {
                      return found.address == player.address && found.port == player.port;
                  });
            if (answered)
                continue;
            players.append({player.hostName, player.address, player.port});
            playing.append(std::nullopt);
            seen.append({false, player.lastSeen});
        }
    }
    const CliOutput::PlayingAnswers *said = m_request.playing ? &playing : nullptr;
    succeed(m_request.json
                ? CliOutput::playersJson(players, said, &seen)
                : CliOutput::playerLines(players, said, m_request.known ? &seen : nullptr));
}

void CommandRunner::reportUnknownPlayer()
{
    QStringList found;
    for (const FoundPlayer &player : m_finder->players())
        found.append(QStringLiteral("%1 (%2)").arg(TerminalText::escaped(player.name),
                                                   TerminalText::escaped(player.address)));
    fail(ExitStatus::unknownPlayer,
         QStringLiteral("no player \"%1\" answered the scan; found %2")
             .arg(TerminalText::escaped(m_request.player->text()),
                  found.isEmpty() ? QStringLiteral("none") : found.join(QStringLiteral(", "))));
}

void CommandRunner::sendCommand(const FoundPlayer &player)
{
    m_player = player;
    auto *exchange = new PlayerExchange(QHostAddress(player.address), player.port,
                                        PlayerProtocol::playlistRequest(),
                                        m_request.timeoutMilliseconds, this);
    connect(exchange, &PlayerExchange::answered, this, &CommandRunner::takeAnswer);
    connect(exchange, &PlayerExchange::failed, this, [this](const QString &reason) {
        fail(ExitStatus::failed, CliOutput::playerText(m_player) + QLatin1Char(' ') + reason);
    });
    exchange->start();
}

void CommandRunner::takeAnswer(const QJsonObject &answer)
{
    // Read as the window reads it.
    const auto read = PlayerAnswer::read(answer);
    if (!read) {
        fail(ExitStatus::failed, CliOutput::withoutActiveIndex(CliOutput::playerText(m_player)));
        return;
    }
    succeed(m_request.json ? CliOutput::answerJson(answer) : CliOutput::playlistLines(*read));
}

void CommandRunner::changeGroups()
{
    PlayerGroups groups;
    if (!groups.readError().isEmpty()) {
        fail(ExitStatus::failed, groups.readError());
        return;
    }
    PlayerGroups::Change change = PlayerGroups::Change::Done;
    switch (m_request.groupAction) {
    case CliRequest::GroupAction::List:
        succeed(m_request.json ? CliOutput::groupsJson(groups.groups())
                               : CliOutput::groupLines(groups.groups()));
        return;
    case CliRequest::GroupAction::Save:
        change = groups.save(m_request.groupName, m_request.members);
        break;
    case CliRequest::GroupAction::Rename:
        change = groups.rename(m_request.groupName, m_request.newName);
        break;
    case CliRequest::GroupAction::Delete:
        change = groups.remove(m_request.groupName);
        break;
    }
    const QString name = TerminalText::escaped(
        m_request.groupAction == CliRequest::GroupAction::Rename ? m_request.newName
                                                                 : m_request.groupName);
    switch (change) {
    case PlayerGroups::Change::Done:
        succeed(QByteArray());
        break;
    case PlayerGroups::Change::BadName:
        fail(ExitStatus::usage,
             QStringLiteral(
                 "\"%1\" cannot name a group: it is empty or holds /, \\ or a control character")
                 .arg(name));
        break;
    case PlayerGroups::Change::NoMembers:
        fail(ExitStatus::usage, QStringLiteral("a group needs a host name"));
        break;
    case PlayerGroups::Change::NameTaken:
        fail(ExitStatus::failed, QStringLiteral("a group \"%1\" exists already").arg(name));
        break;
    case PlayerGroups::Change::NoSuchGroup:
        fail(
            ExitStatus::unknownPlayer,
            QStringLiteral("no group \"%1\" in %2")
                .arg(TerminalText::escaped(m_request.groupName), ApplicationSettings().fileName()));
        break;
    case PlayerGroups::Change::NotWritten:
        fail(ExitStatus::failed,
             QStringLiteral("cannot write %1").arg(ApplicationSettings().fileName()));
        break;
    }
}

void CommandRunner::succeed(const QByteArray &output)
{
    if (m_done)
        return;
    m_done = true;
    write(stdout, output);
    emit finished(ExitStatus::ok);
}

void CommandRunner::fail(int exitStatus, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    write(stderr, QStringLiteral("quintavo-cli: %1\n").arg(message).toUtf8());
    emit finished(exitStatus);
}
