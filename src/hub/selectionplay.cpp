#include "selectionplay.h"

#include "parallelswitch.h"
#include "playerdirectory.h"
#include "sharedvideos.h"

#include <QVariantMap>

#include <algorithm>

SelectionPlay::SelectionPlay(PlayerDirectory *directory, NowPlaying *nowPlaying, QObject *parent)
    : QObject(parent),
      m_directory(directory),
      m_nowPlaying(nowPlaying),
      m_entries(new SharedVideos(this))
{
    connect(nowPlaying, &NowPlaying::replied, this, &SelectionPlay::playlistCame);
    connect(nowPlaying, &NowPlaying::unanswered, this, &SelectionPlay::playlistFailed);
    // A player forgotten meanwhile is asked no more; it counts as not answering.
    connect(directory, &PlayerDirectory::playerLeft, this, &SelectionPlay::playlistFailed);
}

SelectionPlay::~SelectionPlay()
{
    abortSwitches();
}

QObject *SelectionPlay::entries() const
{
    return m_entries;
}

int SelectionPlay::waiting() const
{
    return int(std::count_if(m_members.cbegin(), m_members.cend(), [](const Member &member) {
        return !member.playlist && !member.unanswered;
    }));
}

int SelectionPlay::switchedCount() const
{
    return int(std::count_if(m_members.cbegin(), m_members.cend(), [](const Member &member) {
        return member.outcome && member.outcome->switched();
    }));
}

bool SelectionPlay::isDone() const
{
    return m_round && std::all_of(m_members.cbegin(), m_members.cend(), [](const Member &member) {
               return member.outcome.has_value();
           });
}

QVariantList SelectionPlay::failures() const
{
    QVariantList failed;
    if (!isDone())
        return failed;
    for (const Member &member : m_members)
        if (!member.outcome->switched())
            failed.append(QVariantMap {
                {QStringLiteral("name"), member.name},
                {QStringLiteral("outcome"), SwitchOutcome::kindName(member.outcome->kind)}});
    return failed;
}

void SelectionPlay::gather()
{
    abortSwitches();
    if (m_round)
        m_directory->clearSwitchOutcomes();
    m_round = false;
    m_members.clear();
    for (const PlayerAddress &player : m_directory->selectedPlayers())
        m_members.append({player, m_directory->hostName(player), {}, false, false, {}});
    m_entries->reset(int(m_members.size()));
    emit progressChanged();
    // Asked after the list is made: an answer may come at once.
    const QList<Member> members = m_members;
    for (const Member &member : members)
        m_nowPlaying->ask(member.player);
}

void SelectionPlay::play(int entry)
{
    if (entry < 0 || entry >= m_entries->count() || m_members.isEmpty())
        return;
    abortSwitches();
    m_directory->clearSwitchOutcomes();
    m_description = m_entries->description(entry);
    m_round = true;
    for (Member &member : m_members) {
        member.outcome.reset();
        member.pending = true;
    }
    emit progressChanged();
    QList<int> ready;
    QList<quint16> indexes;
    const auto standard = PlayerAnswer().indexFor(m_description);
    for (int member = 0; member < m_members.size(); ++member) {
        const Member &chosen = m_members.at(member);
        if (!standard && !chosen.playlist && !chosen.unanswered)
            continue; // switched when its playlist comes
        if (standard || (chosen.playlist && chosen.playlist->indexFor(m_description))) {
            m_members[member].pending = false;
            ready.append(member);
            indexes.append(standard ? *standard : *chosen.playlist->indexFor(m_description));
            continue;
        }
        decide(member);
    }
    startSwitches(ready, indexes);
}

void SelectionPlay::dismiss()
{
    abortSwitches();
    if (m_round)
        m_directory->clearSwitchOutcomes();
    m_round = false;
    m_members.clear();
    emit progressChanged();
}

int SelectionPlay::memberOf(const PlayerAddress &player) const
{
    for (int member = 0; member < m_members.size(); ++member)
        if (m_members.at(member).player == player)
            return member;
    return -1;
}

void SelectionPlay::playlistCame(const PlayerAddress &player, const QJsonObject &answer)
{
    const int member = memberOf(player);
    if (member < 0 || m_members.at(member).playlist || m_members.at(member).unanswered)
        return;
    auto playlist = PlayerAnswer::read(answer);
    // An answer that does not say what plays is read as an empty playlist:
    // the player has "Default" all the same.
    m_members[member].playlist = playlist ? std::move(*playlist) : PlayerAnswer();
    m_entries->add(*m_members.at(member).playlist);
    emit progressChanged();
    if (m_members.at(member).pending)
        decide(member);
}

void SelectionPlay::playlistFailed(const PlayerAddress &player)
{
    const int member = memberOf(player);
    if (member < 0 || m_members.at(member).playlist || m_members.at(member).unanswered)
        return;
    m_members[member].unanswered = true;
    emit progressChanged();
    if (m_members.at(member).pending)
        decide(member);
}

void SelectionPlay::decide(int member)
{
    Member &chosen = m_members[member];
    chosen.pending = false;
    if (chosen.unanswered) {
        SwitchOutcome outcome;
        outcome.kind = SwitchOutcome::Kind::NotAnswering;
        report(member, outcome);
        return;
    }
    const auto index = chosen.playlist->indexFor(m_description);
    if (!index) {
        SwitchOutcome outcome;
        outcome.kind = SwitchOutcome::Kind::NoSuchVideo;
        report(member, outcome);
        return;
    }
    startSwitches({member}, {*index});
}

void SelectionPlay::startSwitches(const QList<int> &members, const QList<quint16> &indexes)
{
    if (members.isEmpty())
        return;
    QList<PlayerAddress> players;
    for (const int member : members)
        players.append(m_members.at(member).player);
    auto *parallel = new ParallelSwitch(players, this);
    parallel->setDeadline(m_deadline);
    m_switches.append(parallel);
    connect(parallel, &ParallelSwitch::switching, this, [this, members](int player, quint16) {
        m_directory->setSwitchOutcome(m_members.at(members.at(player)).player,
                                      QStringLiteral("switching"));
    });
    connect(parallel, &ParallelSwitch::done, this,
            [this, members](int player, const SwitchOutcome &outcome) {
                report(members.at(player), outcome);
            });
    connect(parallel, &ParallelSwitch::finished, this, [this, parallel] {
        m_switches.removeAll(parallel);
        parallel->deleteLater();
    });
    parallel->switchEach(indexes);
}

void SelectionPlay::report(int member, const SwitchOutcome &outcome)
{
    Member &told = m_members[member];
    told.outcome = outcome;
    // An answer to a switch need not hold the playlist: the one it sent
    // names the entry.
    if (told.outcome->playing && !told.outcome->playing->description && told.playlist) {
        const int index = told.outcome->playing->activeIndex;
        if (index >= 1 && index <= told.playlist->entries.size())
            told.outcome->playing->description = told.playlist->entries.at(index - 1).description;
    }
    m_directory->setSwitchOutcome(told.player, SwitchOutcome::kindName(outcome.kind));
    // What the player says it plays shows on its row; a player that did not
    // answer is shown with what it played last, as the last known.
    if (told.outcome->playing)
        m_directory->setPlaying(told.player, told.outcome->playing);
    else if (outcome.kind == SwitchOutcome::Kind::NotAnswering && outcome.index)
        m_directory->setPlaying(told.player, std::nullopt);
    emit progressChanged();
}

void SelectionPlay::abortSwitches()
{
    for (const QPointer<ParallelSwitch> &parallel : qAsConst(m_switches)) {
        if (!parallel)
            continue;
        parallel->abort();
        parallel->deleteLater();
    }
    m_switches.clear();
}

#include "moc_selectionplay.cpp"
