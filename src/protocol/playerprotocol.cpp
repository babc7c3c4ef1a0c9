#include "playerprotocol.h"

#include "crc32.h"
#include "jsonkeys.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace PlayerProtocol {

namespace {

constexpr char switchPrefix[] = R"({ "type" : "switch", "switch" : { "type" : "index", "index" : )";
constexpr char switchSuffix[] = " } }";

// Text of a registration record field: up to its first 0x00 byte.
QString recordText(const QByteArray &bytes, int offset, int length)
{
    const char *begin = bytes.constData() + offset;
    const void *nul = memchr(begin, '\0', static_cast<size_t>(length));
    const int size = nul ? static_cast<int>(static_cast<const char *>(nul) - begin) : length;
    return QString::fromUtf8(begin, size);
}

QByteArray lengthPrefixed(const QString &text)
{
    QByteArray bytes = text.toUtf8().left(255);
    bytes.prepend(static_cast<char>(bytes.size()));
    return bytes;
}

} // namespace

QByteArray discoveryDatagram(quint16 port)
{
    QByteArray datagram(datagramSize, '\0');
    datagram[2] = 0x07;
    datagram[3] = static_cast<char>(datagramSize);
    datagram[4] = 0x3A;
    datagram[5] = static_cast<char>(port >> 8);
    datagram[6] = static_cast<char>(port & 0xFF);

    Crc32 crc;
    crc.update(datagram, 2, datagramSize - 4);
    unsigned char out[4];
    crc.finish(out);
    datagram[0] = static_cast<char>(out[0]);
    datagram[1] = static_cast<char>(out[1]);
    datagram[7] = static_cast<char>(out[2]);
    datagram[8] = static_cast<char>(out[3]);
    return datagram;
}

std::optional<quint16> parseDiscoveryDatagram(const QByteArray &datagram)
{
    if (datagram.size() != datagramSize || datagram.at(2) != 0x07 || datagram.at(3) != datagramSize
        || datagram.at(4) != 0x3A)
        return std::nullopt;
    const auto byte = [&](int i) {
        return static_cast<quint8>(datagram.at(i));
    };
    const quint16 port = static_cast<quint16>(byte(5) << 8 | byte(6));
    if (discoveryDatagram(port) != datagram)
        return std::nullopt;
    return port;
}

QByteArray greeting()
{
    return QByteArrayLiteral("*ready!");
}

std::optional<RegistrationRecord> parseRegistrationRecord(const QByteArray &bytes)
{
    const auto byte = [&](int i) {
        return static_cast<quint8>(bytes.at(i));
    };
    if (bytes.size() < 7)
        return std::nullopt;
    const int addressLength = byte(6);
    if (bytes.size() < 8 + addressLength)
        return std::nullopt;
    const int nameLength = byte(7 + addressLength);
    if (bytes.size() < 8 + addressLength + nameLength)
        return std::nullopt;

    RegistrationRecord record;
    record.commandPort = static_cast<quint16>(byte(4) << 8 | byte(5));
    record.addressText = recordText(bytes, 7, addressLength);
    record.hostName = recordText(bytes, 8 + addressLength, nameLength);
    return record;
}

QByteArray encodeRegistrationRecord(const RegistrationRecord &record, quint32 leading)
{
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(static_cast<char>((leading >> shift) & 0xFF));
    bytes.append(static_cast<char>(record.commandPort >> 8));
    bytes.append(static_cast<char>(record.commandPort & 0xFF));
    bytes.append(lengthPrefixed(record.addressText));
    bytes.append(lengthPrefixed(record.hostName));
    return bytes;
}

QByteArray playlistRequest()
{
    return QByteArrayLiteral(R"({ "type" : "playlist" })") + '\0';
}

QByteArray switchCommand(quint16 index)
{
    return switchPrefix + QByteArray::number(index) + switchSuffix + '\0';
}

std::optional<quint16> parseSwitchCommand(const QByteArray &command)
{
    const QJsonObject object = QJsonDocument::fromJson(command).object();
    const QJsonObject target = object.value(QLatin1String("switch")).toObject();
    const QJsonValue index = target.value(QLatin1String("index"));
    if (object.value(QLatin1String("type")) != QLatin1String("switch")
        || target.value(QLatin1String("type")) != QLatin1String("index") || !index.isDouble())
        return std::nullopt;
    const double value = index.toDouble();
    if (value < 0 || value > 65535 || value != static_cast<quint16>(value))
        return std::nullopt;
    return static_cast<quint16>(value);
}

QJsonObject replyObject(const QByteArray &reply)
{
    if (JsonKeys::hasDuplicates(reply))
        return QJsonObject();
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    // Invalid UTF-8 inside the text is read as replacement characters rather than
    // failing the whole reply; valid replies skip the extra round trip. Keys
    // that differed only in their invalid bytes are the same key now.
    if (error.error == QJsonParseError::IllegalUTF8String) {
        const QByteArray text = QString::fromUtf8(reply).toUtf8();
        if (JsonKeys::hasDuplicates(text))
            return QJsonObject();
        document = QJsonDocument::fromJson(text);
    }
    return document.object();
}

} // namespace PlayerProtocol
