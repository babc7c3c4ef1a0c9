#include "playcommand.h"

#include "applicationsettings.h"
#include "parallelswitch.h"
#include "playerfinder.h"
#include "playergroups.h"
#include "terminaltext.h"

#include <cstdio>

namespace {

void write(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

bool samePlayer(const FoundPlayer &a, const FoundPlayer &b)
{
    return a.address == b.address && a.port == b.port;
}

} // namespace

PlayCommand::PlayCommand(const CliRequest &request, QObject *parent)
    : QObject(parent), m_request(request)
{ }

void PlayCommand::start()
{
    // Groups are opened up here, not when the command line is read: what the
    // settings file says now.
    std::optional<PlayerGroups> groups;
    QList<PlayerChoice> wanted; // those a scan must find
    for (const PlayerChoice &choice : qAsConst(m_request.players)) {
        if (!choice.group()) {
            m_named.append({choice, choice.isDirect()});
            if (!choice.isDirect())
                wanted.append(choice);
            continue;
        }
        if (!groups)
            groups.emplace();
        const auto group = groups->find(*choice.group());
        if (!group) {
            m_unknownName = true;
            m_errors.append(
                QStringLiteral("no group \"%1\" in %2")
                    .arg(TerminalText::escaped(*choice.group()), ApplicationSettings().fileName()));
            continue;
        }
        for (const QString &member : group->members) {
            const PlayerChoice named = PlayerChoice::hostName(member);
            m_named.append({named, false});
            wanted.append(named);
        }
    }
    if (groups && !groups->readError().isEmpty())
        m_errors.append(groups->readError());

    if (wanted.isEmpty() && !m_request.all) {
        resolve();
        return;
    }
    // With --all, the scan takes its whole wait; else it ends once every name
    // is found.
    m_finder = new PlayerFinder(PlayerFinder::discoverySettings(m_request.extraTargets),
                                m_request.waitMilliseconds,
                                m_request.all ? QList<PlayerChoice>() : wanted, this);
    connect(m_finder, &PlayerFinder::found, this, &PlayCommand::resolve);
    connect(m_finder, &PlayerFinder::finished, this, &PlayCommand::resolve);
    QString error;
    if (!m_finder->start(&error)) {
        m_errors.append(error);
        end(ExitStatus::failed);
    }
}

void PlayCommand::resolve()
{
    QList<FoundPlayer> targets;
    const auto add = [&](const FoundPlayer &player, bool direct) {
        for (const FoundPlayer &target : qAsConst(targets))
            if (samePlayer(target, player))
                return;
        targets.append(player);
        m_played.append({player, direct, std::nullopt});
        m_switched.append(m_played.size() - 1);
    };
    QStringList missing;
    for (const Named &named : qAsConst(m_named)) {
        if (named.direct) {
            add(named.choice.direct(), true);
        } else if (const auto player = m_finder->firstMatch(named.choice)) {
            add(*player, false);
        } else if (!missing.contains(named.choice.text())) {
            missing.append(named.choice.text());
            m_played.append({FoundPlayer {named.choice.text(), QString(), 0}, false, std::nullopt});
        }
    }
    const QList<FoundPlayer> found = m_finder ? m_finder->players() : QList<FoundPlayer>();
    if (m_request.all) {
        for (const FoundPlayer &player : found)
            add(player, false);
        if (found.isEmpty()) {
            m_unknownName = true;
            m_errors.append(QStringLiteral("no player answered the scan"));
        }
    }
    if (!missing.isEmpty()) {
        m_unknownName = true;
        // Whom the scan found, once for every name it did not.
        QStringList names;
        for (const FoundPlayer &player : found)
            names.append(QStringLiteral("%1 (%2)").arg(TerminalText::escaped(player.name),
                                                       TerminalText::escaped(player.address)));
        const QString foundText
            = names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
        for (const QString &name : qAsConst(missing))
            m_errors.append(QStringLiteral("no player \"%1\" answered the scan; found %2")
                                .arg(TerminalText::escaped(name), foundText));
    }
    if (targets.isEmpty()) {
        report();
        return;
    }

    QList<PlayerAddress> players;
    for (const FoundPlayer &target : qAsConst(targets))
        players.append({target.address, target.port});
    auto *parallel = new ParallelSwitch(players, this);
    parallel->setDeadline(m_request.timeoutMilliseconds);
    connect(parallel, &ParallelSwitch::done, this, &PlayCommand::takeOutcome);
    connect(parallel, &ParallelSwitch::finished, this, &PlayCommand::report);
    if (m_request.video)
        parallel->switchToVideo(*m_request.video);
    else
        parallel->switchToIndex(m_request.index);
}

void PlayCommand::takeOutcome(int player, const SwitchOutcome &outcome)
{
    m_played[m_switched.at(player)].outcome = outcome;
}

void PlayCommand::report()
{
    bool allSwitched = true;
    for (const CliOutput::Played &played : qAsConst(m_played)) {
        if (!played.outcome)
            continue; // named among the errors already
        if (const auto error = CliOutput::switchError(played, m_request.video)) {
            m_errors.append(*error);
            allSwitched = false;
        }
    }
    if (m_request.json)
        write(stdout, CliOutput::playedJson(m_played));
    end(m_unknownName     ? ExitStatus::unknownPlayer
            : allSwitched ? ExitStatus::ok
                          : ExitStatus::failed);
}

void PlayCommand::end(int exitStatus)
{
    QByteArray lines;
    for (const QString &error : qAsConst(m_errors))
        lines += QStringLiteral("quintavo-cli: %1\n").arg(error).toUtf8();
    write(stderr, lines);
    emit finished(exitStatus);
}
