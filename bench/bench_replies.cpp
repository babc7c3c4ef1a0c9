// Replies: a 5,000-video playlist through a real Client on loopback, from its
// last byte to the hub's activeClientChanged, against QJsonDocument::fromJson
// of the same bytes; and a 4 MiB reply fed in 1 KiB pieces to the assembler
// that a command link uses, against the same reply in one piece.
#include "benchsupport.h"
#include "client.h"
#include "networkmessenger.h"
#include "playerprotocol.h"
#include "replyassembler.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <sys/ioctl.h>

#include <memory>

namespace {

// Bytes that arrived on a socket and that its owner has not read yet, in the
// kernel and in Qt's buffer.
qint64 unread(QTcpSocket *socket)
{
    int queued = 0;
    ioctl(int(socket->socketDescriptor()), FIONREAD, &queued);
    return queued + socket->bytesAvailable();
}

class LastByte
{
public:
    explicit LastByte(const QByteArray &reply) : m_reply(reply)
    {
        m_discovery.bind(QHostAddress::LocalHost, 0);
        m_hub = std::make_unique<NetworkMessenger>(Support::loopbackHub(m_discovery.localPort()));
        m_player.registerWith(m_hub->hubPort(), m_player.record(QStringLiteral("lobby")));
        Support::waitFor([&] { return !m_hub->clients().isEmpty(); }, 5000);
        QObject::connect(&m_player, &ScriptedPlayer::commandReceived,
                         [this](int index) { m_link = m_player.link(index); });
        QObject::connect(m_hub.get(), &NetworkMessenger::activeClientChanged,
                         [this](const QJsonObject &json) {
                             m_elapsed = m_clock.nsecsElapsed();
                             m_videos = json.value("quintavo").toArray().size();
                         });
    }

    // Ms from writing the last byte to the relayed answer; -1 when none came.
    double run()
    {
        m_link = nullptr;
        m_elapsed = -1;
        m_hub->queryClient(QStringLiteral("127.0.0.1"));
        Support::waitFor([&] { return m_link; }, 5000);
        auto *client = static_cast<Client *>(m_hub->activeClient());
        auto *commandLink = client->findChild<QTcpSocket *>();
        // All but the closing brace and the 0x00, taken in by the client first.
        const int held = 2;
        m_link->write(m_reply.chopped(held));
        Support::waitFor([&] { return m_link->bytesToWrite() == 0 && unread(commandLink) == 0; },
                         5000);
        m_clock.start();
        m_link->write(m_reply.right(held));
        m_link->flush();
        Support::waitFor([&] { return m_elapsed >= 0; }, 5000);
        if (m_videos != 5000)
            return -1;
        return m_elapsed / 1e6;
    }

private:
    QByteArray m_reply;
    QUdpSocket m_discovery;
    ScriptedPlayer m_player;
    std::unique_ptr<NetworkMessenger> m_hub;
    QPointer<QTcpSocket> m_link;
    QElapsedTimer m_clock;
    qint64 m_elapsed = -1;
    int m_videos = 0;
};

double parseAlone(const QByteArray &reply)
{
    QElapsedTimer clock;
    clock.start();
    const QJsonDocument document = QJsonDocument::fromJson(reply.chopped(1));
    const double ms = clock.nsecsElapsed() / 1e6;
    return document.isObject() ? ms : -1;
}

// Ms to feed the reply in pieces of this size and turn it into the answer object.
double assemble(const QByteArray &reply, int pieceSize)
{
    ReplyAssembler assembler;
    QJsonObject answer;
    QElapsedTimer clock;
    clock.start();
    for (int at = 0; at < reply.size(); at += pieceSize) {
        for (const QByteArray &whole : assembler.feed(reply.mid(at, pieceSize)))
            answer = PlayerProtocol::replyObject(whole);
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    return answer.isEmpty() ? -1 : ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool smoke = Bench::smoke();
    const int repetitions = smoke ? 1 : 9;

    const QByteArray playlist = Bench::playlistReply(5000);
    LastByte lastByte(playlist);
    QVector<double> viaClient, bare;
    for (int i = 0; i < repetitions; ++i) {
        viaClient.append(lastByte.run());
        bare.append(parseAlone(playlist));
    }
    if (viaClient.contains(-1) || bare.contains(-1))
        return 1;
    Bench::printRow(QStringLiteral("reply of 5,000 videos (%1 KiB): last byte to "
                                   "activeClientChanged")
                        .arg(playlist.size() / 1024),
                    Bench::median(viaClient), Bench::median(bare), QStringLiteral("ms"),
                    Bench::Goal::RatioAtMost, 1.5);

    // About 4 MiB of the same kind of videos.
    const QByteArray large = Bench::playlistReply(smoke ? 5000 : 57800);
    const double pieces = Bench::medianOf(repetitions, [&] { return assemble(large, 1024); });
    const double whole
        = Bench::medianOf(repetitions, [&] { return assemble(large, large.size()); });
    if (pieces < 0 || whole < 0)
        return 1;
    Bench::printRow(QStringLiteral("reply of %1 MiB: in 1 KiB pieces vs in one piece")
                        .arg(large.size() / 1048576.0, 0, 'f', 1),
                    pieces, whole, QStringLiteral("ms"), Bench::Goal::RatioAtMost, 3);
    return 0;
}
