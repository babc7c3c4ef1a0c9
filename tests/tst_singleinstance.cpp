// One instance per session, decided by a lock in the user's runtime directory:
// what else lies at the socket's name (a socket left by an instance that
// crashed, another program listening there) or a lock left by an instance that
// ended neither keeps the next launch from running nor gets its hand-over; a
// launch whose running instance does not answer ends with 1 within its request
// timeout. (A later launch that brings the window forward: the end-to-end
// desktop test.)
#include "singleinstance.h"

#include <QLocalServer>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString session = QStringLiteral("quintavo-test");
constexpr int requestTimeout = 200;

enum Leftover { Nothing, DeadSocket, Listener, DeadLock };

// The socket file, and nobody listening: what a crashed instance leaves.
void leaveSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
}

// A lock whose process is gone: no process has the id pid_max.
void leaveLock(const QString &path)
{
    QLockFile lock(path);
    QVERIFY(lock.tryLock(0));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArrayList lines = file.readAll().split('\n');
    file.close();
    lock.unlock();
    QFile pidMax(QStringLiteral("/proc/sys/kernel/pid_max"));
    QVERIFY(pidMax.open(QIODevice::ReadOnly));
    lines[0] = pidMax.readAll().trimmed();
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n'));
}

} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void cleanup()
    {
        for (const QString &name : QDir(m_runtime.path()).entryList(QDir::Files | QDir::System))
            QFile::remove(m_runtime.filePath(name));
    }

    void leftoversDoNotBlock_data()
    {
        QTest::addColumn<int>("leftover");
        QTest::newRow("nothing") << int(Nothing);
        QTest::newRow("socket left behind") << int(DeadSocket);
        QTest::newRow("another program listening") << int(Listener);
        QTest::newRow("lock left behind") << int(DeadLock);
    }
    void leftoversDoNotBlock()
    {
        QFETCH(int, leftover);
        SingleInstance first(session);
        QCOMPARE(QFileInfo(first.serverName()).path(), m_runtime.path());
        QLocalServer other;
        if (leftover == DeadSocket)
            leaveSocket(first.serverName());
        if (leftover == Listener)
            QVERIFY(other.listen(first.serverName()));
        if (leftover == DeadLock)
            leaveLock(first.lockFileName());

        QCOMPARE(first.claim(), std::nullopt);
        QSignalSpy asked(&first, &SingleInstance::activationRequested);
        SingleInstance later(session, requestTimeout);
        QCOMPARE(later.claim(), 0);
        QCOMPARE(asked.count(), 1);
        QVERIFY(!other.hasPendingConnections());
    }

    void silentInstance_data()
    {
        QTest::addColumn<int>("leftover");
        QTest::newRow("its socket left behind") << int(DeadSocket);
        QTest::newRow("listening, never answering") << int(Listener);
    }
    void silentInstance()
    {
        QFETCH(int, leftover);
        SingleInstance later(session, requestTimeout);
        // A running instance: the lock is held by a live process, this one.
        QLockFile running(later.lockFileName());
        QVERIFY(running.tryLock(0));
        QLocalServer silent;
        if (leftover == DeadSocket)
            leaveSocket(later.serverName());
        if (leftover == Listener)
            QVERIFY(silent.listen(later.serverName()));

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(later.claim(), 1);
        QVERIFY2(clock.elapsed() < requestTimeout + 2000,
                 qPrintable(QString::number(clock.elapsed())));
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(tst_SingleInstance)

#include "tst_singleinstance.moc"
