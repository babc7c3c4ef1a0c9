// One instance per session: a socket file left by an instance that crashed
// does not keep the next one from running, and only the user can write to the
// new one. (A later launch that hands over to the running instance: the
// end-to-end desktop test.)
#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void staleSocketIsReplaced()
    {
        const QString name
            = QStringLiteral("quintavo-test-%1").arg(QCoreApplication::applicationPid());
        const QString path = QDir::tempPath() + QLatin1Char('/') + name;
        QLocalServer::removeServer(name);
        // What a crashed instance leaves: the socket file, and nobody listening.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFile::exists(path));

        SingleInstance next(name);
        QCOMPARE(next.claim(), std::nullopt);
        QCOMPARE(QFile::permissions(path) & (QFile::WriteGroup | QFile::WriteOther), 0);
        QLocalSocket probe;
        probe.connectToServer(name);
        QVERIFY(probe.waitForConnected(1000));
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)

#include "tst_singleinstance.moc"
