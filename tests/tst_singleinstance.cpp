// One instance per session, decided by a lock in a folder of the user's own:
// what else lies at the names of the session (a socket left by an instance
// that crashed, another program listening there, on Windows a pipe that
// another user took first) or a lock left by an instance that ended neither
// keeps the next launch from running nor gets its hand-over; a launch whose
// running instance does not answer ends with 1 within its request timeout; a
// caller that sends far more than a request is cut off long before it has
// sent it all.
// (A later launch that brings the window forward: the end-to-end desktop test
// and, under Wine, the Windows one.)
#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

const QString session = QStringLiteral("quintavo-test");
constexpr int requestTimeout = 200;

enum Leftover { Nothing, DeadSocket, Listener, DeadLock };

#ifdef Q_OS_UNIX
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
#endif

// The names at which another program could listen before this session's
// instance starts: on Linux where the socket lies, on Windows pipes named
// after the session (as they were before each start made a name of its own).
QStringList guessableNames(const SingleInstance &instance)
{
#ifdef Q_OS_WIN
    Q_UNUSED(instance)
    return {session, session + QLatin1Char('-') + qEnvironmentVariable("USERNAME")};
#else
    return {instance.serverName()};
#endif
}

// Names the socket of the instance that holds the lock, as it does once it listens.
void nameServer(const SingleInstance &instance, const QString &name)
{
    QSaveFile file(instance.serverNameFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(name.toUtf8() + '\n');
    QVERIFY(file.commit());
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
#ifdef Q_OS_WIN
    // Process ids are multiples of four below 2^32.
    lines[0] = "4294967294";
#else
    QFile pidMax(QStringLiteral("/proc/sys/kernel/pid_max"));
    QVERIFY(pidMax.open(QIODevice::ReadOnly));
    lines[0] = pidMax.readAll().trimmed();
#endif
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
        // Windows: the data folder, under the test's own.
        QStandardPaths::setTestModeEnabled(true);
    }
    void cleanup()
    {
        const QDir folder = QFileInfo(SingleInstance(session).lockFileName()).dir();
        for (const QString &name :
             folder.entryList({session + QLatin1Char('*')}, QDir::Files | QDir::System))
            QFile::remove(folder.filePath(name));
    }

    void leftoversDoNotBlock_data()
    {
        QTest::addColumn<int>("leftover");
#ifdef Q_OS_UNIX
        QTest::newRow("socket left behind") << int(DeadSocket);
#endif
        QTest::newRow("another program listening") << int(Listener);
        QTest::newRow("lock left behind") << int(DeadLock);
    }
    void leftoversDoNotBlock()
    {
        QFETCH(int, leftover);
        SingleInstance first(session);
#ifdef Q_OS_UNIX
        QCOMPARE(QFileInfo(first.serverName()).path(), m_runtime.path());
        if (leftover == DeadSocket)
            leaveSocket(first.serverName());
#endif
        std::vector<std::unique_ptr<QLocalServer>> others;
        if (leftover == Listener) {
            for (const QString &name : guessableNames(first)) {
                others.push_back(std::make_unique<QLocalServer>());
                QVERIFY2(others.back()->listen(name), qPrintable(name));
            }
        }
        if (leftover == DeadLock)
            leaveLock(first.lockFileName());

        QCOMPARE(first.claim(), std::nullopt);
        QSignalSpy asked(&first, &SingleInstance::activationRequested);
        SingleInstance later(session, requestTimeout);
        QCOMPARE(later.claim(), 0);
        QCOMPARE(asked.count(), 1);
        for (const auto &other : others)
            QVERIFY2(!other->hasPendingConnections(), qPrintable(other->serverName()));
    }

    void silentInstance_data()
    {
        QTest::addColumn<int>("leftover");
#ifdef Q_OS_UNIX
        QTest::newRow("its socket left behind") << int(DeadSocket);
#endif
        QTest::newRow("its socket gone") << int(Nothing);
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
        const QString name = QStringLiteral("quintavo-test-silent");
#ifdef Q_OS_UNIX
        if (leftover == DeadSocket)
            leaveSocket(later.serverName());
#endif
        if (leftover == Listener)
            QVERIFY(silent.listen(name));
        nameServer(later, leftover == Listener ? silent.fullServerName() : later.serverName());

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(later.claim(), 1);
        QVERIFY2(clock.elapsed() < requestTimeout + 2000,
                 qPrintable(QString::number(clock.elapsed())));
    }

    void requestFarPastItsCap()
    {
        SingleInstance running(session, 60000);
        QCOMPARE(running.claim(), std::nullopt);
        QSignalSpy activations(&running, &SingleInstance::activationRequested);
        // 16 MiB without an end of line, written as fast as it is taken.
        constexpr qint64 total = 16 * 1024 * 1024;
        const QByteArray piece(64 * 1024, 'x');
        qint64 sent = 0;
        bool ended = false;
        QLocalSocket caller;
        connect(&caller, &QLocalSocket::bytesWritten, this, [&](qint64 bytes) {
            sent += bytes;
            if (caller.bytesToWrite() == 0 && sent < total)
                caller.write(piece);
        });
        connect(&caller, &QLocalSocket::disconnected, this, [&] { ended = true; });
        caller.connectToServer(running.serverName());
        QTRY_COMPARE(caller.state(), QLocalSocket::ConnectedState);
        caller.write(piece);
        QTRY_VERIFY_WITH_TIMEOUT(ended || sent >= total, 20000);
        QVERIFY2(sent < total / 4, qPrintable(QString::number(sent)));
        QCOMPARE(activations.count(), 0);
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(tst_SingleInstance)

#include "tst_singleinstance.moc"
