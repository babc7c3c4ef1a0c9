// What tests and benchmarks of the hub share besides the scripted player: a
// hub on loopback, a wait that keeps the event loop answering, the process's
// memory, and the machine's networks as a test makes them up.
#pragma once

#include "hubsettings.h"

#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace Support {

// A hub on loopback: any free hub port, datagrams to discoveryPort on
// 127.0.0.1, and no update check.
HubSettings loopbackHub(quint16 discoveryPort);

// Runs the event loop, deferred deletions included, until done() holds; false
// when timeoutMs passed first. Unlike QTRY_*, which sleep between looks, it
// never keeps the loop from answering, so stalls measured meanwhile are the
// code's own.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000);

// A field of /proc/self/status or /proc/self/io ("VmRSS", "VmHWM", "rchar"),
// as the kernel writes it (KiB for memory, bytes for I/O); -1 if absent.
qint64 procField(const char *file, const char *field);

// An interface's address entry, with its broadcast address if one is given,
// and the flags of an interface that is up and broadcasts.
QNetworkAddressEntry entry(const QString &ip, const QString &broadcast = QString());
inline const QNetworkInterface::InterfaceFlags up
    = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;

// A socket bound to a free loopback port and never listening: connections to
// that port are refused, and no other socket takes the port while it lives
// (a port merely closed may be another test's by the time it is tried).
std::unique_ptr<QTcpSocket> refusingPort();

// The application's settings in a folder of the test's own while it lives;
// on Windows they are the registry's, which no path moves, and what the test
// finds there is put back.
class SettingsSandbox
{
public:
    SettingsSandbox();
    ~SettingsSandbox();

private:
    QTemporaryDir m_folder;
    QVariantMap m_kept;
};

} // namespace Support
