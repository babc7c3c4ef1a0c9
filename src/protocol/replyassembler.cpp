#include "replyassembler.h"

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The bytes that change the scan's state, outside strings and inside them;
// everything else is skipped in a tight loop.
struct StopBytes
{
    bool outside[256] {};
    bool inside[256] {};
};

constexpr StopBytes makeStopBytes()
{
    StopBytes stop;
    for (unsigned char c : {'\0', '"', '{', '}', '[', ']'})
        stop.outside[c] = true;
    for (unsigned char c : {'\0', '"', '\\'})
        stop.inside[c] = true;
    return stop;
}

constexpr StopBytes stopBytes = makeStopBytes();

} // namespace

QList<QByteArray> ReplyAssembler::feed(const QByteArray &bytes)
{
    QList<QByteArray> replies;
    if (m_overflowed)
        return replies;
    m_buffer.append(bytes);

    const char *data = m_buffer.constData();
    const int size = m_buffer.size();
    for (int i = m_scanned; i < size; ++i) {
        if (m_state == State::Container && !m_escaped) {
            const bool *stop = m_inString ? stopBytes.inside : stopBytes.outside;
            while (i < size && !stop[static_cast<unsigned char>(data[i])])
                ++i;
        } else if (m_state == State::Junk) {
            const void *nul = std::memchr(data + i, '\0', size_t(size - i));
            i = nul ? int(static_cast<const char *>(nul) - data) : size;
        }
        if (i == size)
            break;
        const char c = data[i];
        if (c == '\0') {
            if (m_state != State::Between)
                completeReply(i, replies);
            m_start = i + 1;
            continue;
        }
        switch (m_state) {
        case State::Between:
            if (isBlank(c))
                m_start = i + 1;
            else
                beginReply(c, i);
            break;
        case State::Container:
            if (m_inString) {
                if (m_escaped)
                    m_escaped = false;
                else if (c == '\\')
                    m_escaped = true;
                else if (c == '"')
                    m_inString = false;
            } else if (c == '"') {
                m_inString = true;
            } else if (c == '{' || c == '[') {
                ++m_depth;
            } else if ((c == '}' || c == ']') && --m_depth == 0) {
                completeReply(i + 1, replies);
                m_start = i + 1;
            }
            break;
        case State::Junk:
            break;
        }
    }

    // Keep only the reply being gathered.
    m_buffer.remove(0, m_start);
    m_scanned = m_buffer.size();
    m_start = 0;
    if (m_buffer.size() > maximumReplySize) {
        reset();
        m_overflowed = true;
    }
    return replies;
}

std::optional<QByteArray> ReplyAssembler::finish()
{
    std::optional<QByteArray> rest;
    if (m_state != State::Between && !m_overflowed)
        rest = m_buffer.mid(m_start);
    reset();
    return rest;
}

void ReplyAssembler::reset()
{
    m_buffer.clear();
    m_start = 0;
    m_scanned = 0;
    m_state = State::Between;
    m_depth = 0;
    m_inString = false;
    m_escaped = false;
    m_overflowed = false;
}

void ReplyAssembler::beginReply(char c, int position)
{
    m_start = position;
    m_inString = false;
    m_escaped = false;
    if (c == '{' || c == '[') {
        m_state = State::Container;
        m_depth = 1;
    } else {
        m_state = State::Junk;
    }
}

void ReplyAssembler::completeReply(int end, QList<QByteArray> &replies)
{
    replies.append(m_buffer.mid(m_start, end - m_start));
    m_state = State::Between;
    m_depth = 0;
}
