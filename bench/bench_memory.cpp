// Memory: resident-set growth over many scans with 10 players registering
// again after each, the scene's re-read of `clients` included, and the player
// objects still alive at the end. Reference: the same scans with no players.
#include "benchsupport.h"
#include "networkmessenger.h"
#include "playerprotocol.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QPointer>
#include <QUdpSocket>

namespace {

constexpr int players = 10;
const QHostAddress everyPlayer(QStringLiteral("127.255.255.255"));

struct Outcome
{
    qint64 growthKiB = 0;
    int liveObjects = 0;
    bool complete = true;
};

Outcome scans(int rounds, int playerCount)
{
    QObject owner;
    // Hears every scan's datagram, so that a round without players ends too.
    QUdpSocket ear;
    ear.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    int datagrams = 0;
    QObject::connect(&ear, &QUdpSocket::readyRead, [&] {
        while (ear.hasPendingDatagrams()) {
            ear.receiveDatagram();
            ++datagrams;
        }
    });
    for (int i = 0; i < playerCount; ++i) {
        auto *player = new ScriptedPlayer(&owner);
        player->hearScans(ear.localPort(),
                          PlayerProtocol::encodeRegistrationRecord(
                              {quint16(9000 + i), QStringLiteral("127.0.0.1"),
                               QStringLiteral("player-%1").arg(i)}));
    }

    HubSettings settings = Support::loopbackHub(ear.localPort());
    settings.scanTargets = QList<QHostAddress> {everyPlayer};
    NetworkMessenger hub(settings);
    int listed = 0;
    // The scene reads the list after every update; every player object it got
    // is watched, once.
    QHash<QObject *, QPointer<QObject>> seen;
    QObject::connect(&hub, &NetworkMessenger::clientsUpdated, [&] {
        ++listed;
        for (QObject *client : hub.clients())
            seen.insert(client, client);
    });

    Outcome outcome;
    qint64 baseline = 0;
    const int warmUp = rounds / 10;
    for (int round = 0; round < warmUp + rounds; ++round) {
        if (round == warmUp)
            baseline = Support::procField("status", "VmRSS");
        listed = 0;
        datagrams = 0;
        hub.scanForClients();
        outcome.complete
            = Support::waitFor([&] { return listed >= playerCount && datagrams > 0; }, 5000)
            && outcome.complete;
    }
    outcome.growthKiB = Support::procField("status", "VmRSS") - baseline;
    outcome.liveObjects = std::count_if(seen.cbegin(), seen.cend(),
                                        [](const QPointer<QObject> &client) { return client; });
    return outcome;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = Bench::smoke() ? 200 : 10000;

    const Outcome bare = scans(rounds, 0);
    const Outcome withPlayers = scans(rounds, players);
    if (!bare.complete || !withPlayers.complete)
        return 1;
    Bench::printRow(QStringLiteral("memory: RSS growth over %1 scans, %2 players re-registering")
                        .arg(rounds)
                        .arg(players),
                    withPlayers.growthKiB, bare.growthKiB, QStringLiteral("KiB"),
                    Bench::Goal::FigureBelow, 2048);
    Bench::printRow(
        QStringLiteral("memory: live player objects after %1 scans (vs distinct)").arg(rounds),
        withPlayers.liveObjects, players, QStringLiteral("players"), Bench::Goal::FigureAtMost,
        2 * players);
    return 0;
}
