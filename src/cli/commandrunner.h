// Carries out one request of quintavo-cli: scans and lists the players (and
// asks each what it plays, when asked to); finds one player and asks it for
// its playlist; has PlayCommand switch players; or lists or changes the
// groups. Prints the result or one line of error and ends with
// finished(exit status).
#pragma once

#include "clioutput.h"
#include "clirequest.h"
#include "foundplayer.h"

#include <QJsonObject>
#include <QObject>

class PlayerFinder;

class CommandRunner : public QObject
{
    Q_OBJECT

public:
    explicit CommandRunner(CliRequest request, QObject *parent = nullptr);

    // Call once the event loop runs.
    void start();

signals:
    void finished(int exitStatus);

private:
    void listFound();
    void askWhatPlays();
    void printList();
    void reportUnknownPlayer();
    void sendCommand(const FoundPlayer &player);
    void takeAnswer(const QJsonObject &answer);
    void changeGroups();
    void succeed(const QByteArray &output);
    void fail(int exitStatus, const QString &message);

    CliRequest m_request;
    PlayerFinder *m_finder = nullptr;
    FoundPlayer m_player;
    QList<FoundPlayer> m_found;
    CliOutput::PlayingAnswers m_playing; // of m_found
    QDateTime m_listedAt; // when the scan's wait ended
    int m_unasked = 0; // players of the list still to answer or fail
    bool m_done = false;
};
