#include "commandrunner.h"

#include "clioutput.h"
#include "playerexchange.h"
#include "playerfinder.h"
#include "playerprotocol.h"
#include "terminaltext.h"

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
    m_finder = new PlayerFinder(PlayerFinder::discoverySettings(m_request.extraTargets),
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
    const QList<FoundPlayer> players = m_finder->players();
    succeed(m_request.json ? CliOutput::playersJson(players) : CliOutput::playerLines(players));
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
    // The application shows an answer only with a numeric "activeIndex"; any
    // other (not JSON, not an object) reads as an empty object.
    const QJsonValue active = answer.value(QLatin1String("activeIndex"));
    if (!active.isDouble()) {
        fail(ExitStatus::failed,
             QStringLiteral("%1 sent an answer without an activeIndex").arg(describe(m_player)));
        return;
    }
    if (m_request.command == CliRequest::Command::Playlist) {
        succeed(m_request.json ? CliOutput::answerJson(answer) : CliOutput::playlistLines(answer));
    } else if (active.toDouble() == m_request.index) {
        succeed(QByteArray());
    } else {
        fail(ExitStatus::failed,
             QStringLiteral("%1 plays entry %2, not %3")
                 .arg(describe(m_player), QString::number(active.toDouble()),
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
