#include "jsonkeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>

namespace JsonKeys {

namespace {

struct Key
{
    const char *begin;
    int length;
};

// A key as the parser sees it: escapes decoded, in UTF-8. Keys with escapes
// are rare; the parser itself decodes them (an array of one string has no keys).
QByteArray decoded(const char *begin, int length)
{
    const QByteArray array = "[\"" + QByteArray(begin, length) + "\"]";
    return QJsonDocument::fromJson(array).array().at(0).toString().toUtf8();
}

// The bytes that matter outside strings; the rest is skipped in a tight loop.
struct Structural
{
    bool bytes[256] {};
    constexpr bool operator[](unsigned char c) const { return bytes[c]; }
};

constexpr Structural makeStructural()
{
    Structural structural;
    for (unsigned char c : {'"', '{', '}', '[', ']', ','})
        structural.bytes[c] = true;
    return structural;
}

constexpr Structural structural = makeStructural();

bool sameKey(const Key &a, const Key &b)
{
    return a.length == b.length && std::memcmp(a.begin, b.begin, size_t(a.length)) == 0;
}

bool lessKey(const Key &a, const Key &b)
{
    if (a.length != b.length)
        return a.length < b.length;
    return std::memcmp(a.begin, b.begin, size_t(a.length)) < 0;
}

// Does any key of one object repeat? Objects have a handful of keys: those are
// compared pairwise, larger ones sorted first.
bool repeats(Key *begin, Key *end)
{
    const auto count = end - begin;
    if (count <= 8) {
        for (Key *a = begin; a < end; ++a) {
            for (Key *b = a + 1; b < end; ++b) {
                if (sameKey(*a, *b))
                    return true;
            }
        }
        return false;
    }
    std::sort(begin, end, lessKey);
    return std::adjacent_find(begin, end, sameKey) != end;
}

} // namespace

bool hasDuplicates(const QByteArray &json)
{
    // Open containers: for each, whether it is an object, where its keys start
    // in `keys`, and whether the next string in it is a key.
    struct Level
    {
        bool object;
        int firstKey;
        bool expectKey;
    };
    QVarLengthArray<Level, 32> levels;
    QVarLengthArray<Key, 256> keys;
    QList<QByteArray> decodedKeys; // keeps decoded keys alive while they are compared

    const char *data = json.constData();
    const char *const end = data + json.size();
    for (const char *p = data; p < end; ++p) {
        while (p < end && !structural[static_cast<unsigned char>(*p)])
            ++p;
        if (p == end)
            break;
        switch (*p) {
        case '"': {
            // The string's end: the next quote that no backslash escapes.
            const char *begin = p + 1;
            const char *q = begin;
            bool escaped = false;
            while (q < end && *q != '"') {
                if (*q == '\\') {
                    escaped = true;
                    ++q;
                }
                ++q;
            }
            if (q >= end)
                return false; // unterminated: the parser refuses it
            if (!levels.isEmpty() && levels.last().object && levels.last().expectKey) {
                if (escaped) {
                    decodedKeys.append(decoded(begin, int(q - begin)));
                    keys.append({decodedKeys.last().constData(), decodedKeys.last().size()});
                } else {
                    keys.append({begin, int(q - begin)});
                }
                levels.last().expectKey = false;
            }
            p = q;
            break;
        }
        case '{':
            levels.append({true, int(keys.size()), true});
            break;
        case '[':
            levels.append({false, int(keys.size()), false});
            break;
        case '}':
        case ']':
            if (levels.isEmpty())
                return false;
            if (levels.last().object
                && repeats(keys.data() + levels.last().firstKey, keys.data() + keys.size()))
                return true;
            keys.resize(levels.last().firstKey);
            levels.removeLast();
            break;
        case ',':
            if (!levels.isEmpty() && levels.last().object)
                levels.last().expectKey = true;
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace JsonKeys
