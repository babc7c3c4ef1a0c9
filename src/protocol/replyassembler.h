// Cuts the byte stream of one command link into player replies. TCP may split a
// reply over several reads or join several replies into one, so replies are
// gathered across reads: a reply ends at its first 0x00 byte or, when none has
// come, as soon as the bytes gathered form one complete JSON object or array.
// Anything else (a bare value, text that is not JSON) lasts until the next 0x00
// or the close of the link. Every byte is
// scanned once, so finding the end of a reply costs time in proportion to its
// size however it is cut into reads.
#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

class ReplyAssembler
{
public:
    // The most a reply may hold before the link is given up.
    static constexpr int maximumReplySize = 16 * 1024 * 1024;

    // Adds the bytes of one read; gives the replies they complete, in order,
    // without their 0x00. White space and 0x00 bytes between replies are no reply.
    QList<QByteArray> feed(const QByteArray &bytes);

    // The link has closed: whatever is still held, unless it is blank.
    std::optional<QByteArray> finish();

    // True once the reply being gathered has outgrown maximumReplySize; the
    // assembler then holds nothing and takes nothing more.
    bool overflowed() const { return m_overflowed; }

    // Forgets everything held, for a new link.
    void reset();

private:
    enum class State {
        Between, // before a reply: skipping white space and 0x00
        Container, // inside a top-level object or array
        Junk, // the reply is no object or array; it lasts until the next 0x00
    };

    void beginReply(char c, int position);
    void completeReply(int end, QList<QByteArray> &replies);

    QByteArray m_buffer;
    int m_start = 0; // where the reply being gathered begins in m_buffer
    int m_scanned = 0; // bytes of m_buffer already scanned
    State m_state = State::Between;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    bool m_overflowed = false;
};
