// CRC-32 as in ISO-HDLC and IEEE 802.3 (reflected polynomial 0xEDB88320, preset
// 0xFFFFFFFF, final complement). The discovery datagram is framed by it.
#pragma once

#include <QByteArray>
#include <QtGlobal>

class Crc32
{
public:
    // Feeds count bytes starting at bytes[offset]; a count of 0 changes nothing.
    void update(const QByteArray &bytes, int offset, int count);
    // Writes the complement of the register, least significant byte first, into
    // out[0..3] and presets the register again for a new CRC.
    void finish(unsigned char out[4]);

    static quint32 checksum(const QByteArray &bytes);

private:
    quint32 m_register = 0xFFFFFFFFu;
};
