#include "fakehub.h"

void FakeHub::scanForClients()
{
    ++m_scanCount;
    emit called();
}

void FakeHub::queryClient(QString ipAddress)
{
    m_queried.append(ipAddress);
    // Like the hub: the player is active when the call returns, but nothing is
    // announced until it answers.
    for (QObject *entry : qAsConst(m_clients)) {
        auto *client = static_cast<Client *>(entry);
        if (client->ipAddress() == ipAddress)
            m_activeClient = client;
    }
    emit called();
}

void FakeHub::quintavo(ushort index)
{
    m_switched.append(index);
    emit called();
}

void FakeHub::addPlayer(const QString &hostname, const QString &ipaddress)
{
    m_clients.append(new Client(hostname, QHostAddress(ipaddress), 7000, this));
    emit clientsUpdated();
}

void FakeHub::reset()
{
    m_clients.clear();
    m_activeClient = nullptr;
    m_scanCount = 0;
    m_queried.clear();
    m_switched.clear();
    emit called();
    emit clientsUpdated();
}
