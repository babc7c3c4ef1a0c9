// The player's check of a discovery datagram: whatever arrives on its port, only
// the exact datagram for the announced hub port is accepted.
#include "playerprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const auto port = PlayerProtocol::parseDiscoveryDatagram(datagram);
    if (port && PlayerProtocol::discoveryDatagram(*port) != datagram)
        abort();
    return 0;
}
