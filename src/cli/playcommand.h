// quintavo-cli play: finds the players named (host names and addresses by a
// scan, ADDRESS:PORT without one, @GROUP through its members' host names,
// --all every player that answers), switches them all at once with
// ParallelSwitch, then prints one error line for each player that did not
// switch, or with --json every player's outcome, and ends with
// finished(exit status).
#pragma once

#include "clioutput.h"
#include "clirequest.h"

#include <QList>
#include <QObject>
#include <QStringList>

class ParallelSwitch;
class PlayerFinder;

class PlayCommand : public QObject
{
    Q_OBJECT

public:
    explicit PlayCommand(const CliRequest &request, QObject *parent = nullptr);

    // Call once the event loop runs.
    void start();

signals:
    void finished(int exitStatus);

private:
    // What was named on the command line, groups opened up, in order.
    struct Named
    {
        PlayerChoice choice;
        bool direct = false;
    };

    void resolve();
    void takeOutcome(int player, const SwitchOutcome &outcome);
    void report();
    void end(int exitStatus);

    CliRequest m_request;
    QList<Named> m_named;
    QStringList m_errors; // lines for standard error, before the players'
    bool m_unknownName = false;
    PlayerFinder *m_finder = nullptr;
    QList<CliOutput::Played> m_played;
    QList<int> m_switched; // m_played's position of each player switched
};
