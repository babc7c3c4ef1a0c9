#include "crc32.h"

#include <array>

namespace {

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table {};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> table = makeTable();
static_assert(table[1] == 0x77073096u && table[255] == 0x2D02EF8Du);

} // namespace

void Crc32::update(const QByteArray &bytes, int offset, int count)
{
    Q_ASSERT(offset >= 0 && count >= 0 && offset + count <= bytes.size());
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData()) + offset;
    for (int i = 0; i < count; ++i)
        m_register = (m_register >> 8) ^ table[(data[i] ^ m_register) & 0xFFu];
}

void Crc32::finish(unsigned char out[4])
{
    const quint32 crc = ~m_register;
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(crc >> (8 * i));
    m_register = 0xFFFFFFFFu;
}

quint32 Crc32::checksum(const QByteArray &bytes)
{
    Crc32 crc;
    crc.update(bytes, 0, bytes.size());
    unsigned char out[4];
    crc.finish(out);
    return quint32(out[0]) | quint32(out[1]) << 8 | quint32(out[2]) << 16 | quint32(out[3]) << 24;
}
