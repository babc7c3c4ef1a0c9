#include "terminaltext.h"

namespace TerminalText {

namespace {

QString hex(char32_t value, int digits)
{
    return QStringLiteral("%1").arg(static_cast<uint>(value), digits, 16, QLatin1Char('0'));
}

} // namespace

bool isUnsafe(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    if (c >= 0xD800 && c <= 0xDFFF) // only ever alone: pairs are combined before
        return true;
    switch (c) {
    case 0x061C: // arabic letter mark
    case 0x200E: // left-to-right mark
    case 0x200F: // right-to-left mark
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        // Embeddings, overrides and isolates.
        return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    }
}

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result.append(unit).append(text.at(++i)); // no unsafe character lies above U+FFFF
            continue;
        }
        const char32_t c = unit.unicode();
        if (c == '\\')
            result.append(QLatin1String("\\\\"));
        else if (!isUnsafe(c))
            result.append(unit);
        else if (c == '\t')
            result.append(QLatin1String("\\t"));
        else if (c == '\n')
            result.append(QLatin1String("\\n"));
        else if (c == '\r')
            result.append(QLatin1String("\\r"));
        else if (c < 0x80)
            result.append(QLatin1String("\\x") + hex(c, 2));
        else
            result.append(QLatin1String("\\u") + hex(c, 4));
    }
    return result;
}

} // namespace TerminalText
