#include "commandrunner.h"

#include "clioutput.h"
#include "nowplaying.h"
#include "playerexchange.h"
#include "playerfinder.h"
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

// "foyer (10.77.0.11:4321)", escaped for the terminal; a player given by its
// address and port has no name.
QString describe(const FoundPlayer &player)
{
    if (player.name.isEmpty())
        return QStringLiteral("%1:%2").arg(player.address, QString::number(player.port));
    // One arg() call: a name may itself hold "%1".
    return QStringLiteral("%1 (%2:%3)")
        .arg(TerminalText::escaped(player.name), TerminalText::escaped(player.address),
             QString::number(player.port));
}

} // namespace

CommandRunner::CommandRunner(CliRequest request, QObject *parent)
    : QObject(parent), m_request(std::move(request))
{ }

void CommandRunner::start()
{
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
    m_finder = new PlayerFinder(PlayerFinder::discoverySettings(targets),
                                m_request.waitMilliseconds, m_request.player, this);
    if (m_request.player) {
        connect(m_finder, &PlayerFinder::found, this, &CommandRunner::sendCommand);
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
            [this, done](const NowPlaying::Player &player,
                         const std::optional<PlayerAnswer::Playing> &answer) {
                for (int i = 0; i < m_found.size(); ++i)
                    if (m_found.at(i).address == player.first
                        && m_found.at(i).port == player.second)
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
    const QByteArray command = m_request.command == CliRequest::Command::Play
        ? PlayerProtocol::switchCommand(m_request.index)
        : PlayerProtocol::playlistRequest();
    auto *exchange = new PlayerExchange(QHostAddress(player.address), player.port, command,
                                        m_request.timeoutMilliseconds, this);
    connect(exchange, &PlayerExchange::answered, this, &CommandRunner::takeAnswer);
    connect(exchange, &PlayerExchange::failed, this, [this](const QString &reason) {
        fail(ExitStatus::failed, describe(m_player) + QLatin1Char(' ') + reason);
    });
    exchange->start();
}

void CommandRunner::takeAnswer(const QJsonObject &answer)
{
    // Read as the window reads it.
    const auto read = PlayerAnswer::read(answer);
    if (!read) {
        fail(ExitStatus::failed,
             QStringLiteral("%1 sent an answer without an activeIndex").arg(describe(m_player)));
        return;
    }
    if (m_request.command == CliRequest::Command::Playlist) {
        succeed(m_request.json ? CliOutput::answerJson(answer) : CliOutput::playlistLines(*read));
    } else if (read->activeIndex == m_request.index) {
        succeed(QByteArray());
    } else if (read->activeIndex == PlayerAnswer::noEntry) {
        fail(ExitStatus::failed,
             QStringLiteral("%1 names no entry it plays, not %2")
                 .arg(describe(m_player), QString::number(m_request.index)));
    } else {
        fail(ExitStatus::failed,
             QStringLiteral("%1 plays entry %2, not %3")
                 .arg(describe(m_player), QString::number(read->activeIndex),
                      QString::number(m_request.index)));
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
