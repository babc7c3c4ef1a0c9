// Registration records as any peer on the network may send them: the parse must
// never read past the bytes received, and must not take a record before its
// last byte has come.
#include "playerprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy that owns exactly the input bytes, so reading past them is caught.
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const auto record = PlayerProtocol::parseRegistrationRecord(bytes);
    if (!record)
        return 0;
    // One byte less than the record's own length is never a record.
    const int length = 8 + static_cast<quint8>(bytes.at(6))
        + static_cast<quint8>(bytes.at(7 + static_cast<quint8>(bytes.at(6))));
    if (PlayerProtocol::parseRegistrationRecord(bytes.left(length - 1)))
        abort();
    return 0;
}
