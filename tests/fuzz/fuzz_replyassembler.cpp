// Player replies cut into reads in every way the input chooses: the first byte
// of each chunk gives the length of the read that follows. Whatever the cut, the
// replies must be the same as when the stream arrives in one read.
#include "playerprotocol.h"
#include "replyassembler.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray stream;
    QList<QByteArray> reads;
    size_t i = 0;
    while (i < size) {
        const size_t length = data[i++] % 64;
        const size_t take = length < size - i ? length : size - i;
        reads.append(QByteArray(reinterpret_cast<const char *>(data + i), static_cast<int>(take)));
        stream.append(reads.last());
        i += take;
    }

    ReplyAssembler whole;
    QList<QByteArray> expected = whole.feed(stream);
    if (const auto rest = whole.finish())
        expected.append(*rest);

    ReplyAssembler cut;
    QList<QByteArray> replies;
    for (const QByteArray &read : qAsConst(reads))
        replies += cut.feed(read);
    if (const auto rest = cut.finish())
        replies.append(*rest);

    if (replies != expected)
        abort();
    for (const QByteArray &reply : qAsConst(replies)) {
        if (reply.contains('\0'))
            abort();
        PlayerProtocol::replyObject(reply);
    }
    return 0;
}
