#include "noticemarkup.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace NoticeMarkup {

namespace {

struct Tag
{
    QString name; // lower case
    bool closing = false;
    bool selfClosing = false;
    QList<QPair<QString, QString>> attributes; // names in lower case, values as written
};

// The elements kept, each with the attributes it may keep.
const QHash<QString, QStringList> &keptElements()
{
    static const QHash<QString, QStringList> elements = [] {
        QHash<QString, QStringList> kept;
        for (const char *name :
             {"b",     "strong", "i",     "em",         "u",    "s",      "strike",  "big",
              "small", "sub",    "sup",   "tt",         "code", "kbd",    "samp",    "var",
              "cite",  "dfn",    "nobr",  "br",         "hr",   "ul",     "ol",      "li",
              "dl",    "dt",     "dd",    "blockquote", "pre",  "center", "address", "span",
              "tr",    "thead",  "tbody", "tfoot"})
            kept.insert(QLatin1String(name), {});
        for (const char *name : {"p", "div", "h1", "h2", "h3", "h4", "h5", "h6"})
            kept.insert(QLatin1String(name), {QStringLiteral("align")});
        kept.insert(QStringLiteral("font"), {QStringLiteral("color"), QStringLiteral("size")});
        kept.insert(QStringLiteral("a"), {QStringLiteral("href")});
        kept.insert(QStringLiteral("table"),
                    {QStringLiteral("border"), QStringLiteral("cellpadding"),
                     QStringLiteral("cellspacing"), QStringLiteral("width")});
        for (const char *name : {"td", "th"})
            kept.insert(QLatin1String(name),
                        {QStringLiteral("align"), QStringLiteral("colspan"),
                         QStringLiteral("rowspan"), QStringLiteral("width")});
        return kept;
    }();
    return elements;
}

bool dropsContent(const QString &name)
{
    return name == QLatin1String("head") || name == QLatin1String("title")
        || name == QLatin1String("style") || name == QLatin1String("script");
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads the tag that starts at text[at] ('<'). Gives the position after its
// '>', 0 when no tag starts there, -1 when the tag runs to the end of the text.
int readTag(const QString &text, int at, Tag *tag)
{
    const int size = text.size();
    int i = at + 1;
    if (i < size && text.at(i) == QLatin1Char('/')) {
        tag->closing = true;
        ++i;
    }
    const int nameStart = i;
    while (i < size && (isAsciiLetter(text.at(i)) || (i > nameStart && isAsciiDigit(text.at(i)))))
        ++i;
    if (i == nameStart)
        return 0;
    tag->name = text.mid(nameStart, i - nameStart).toLower();

    while (i < size) {
        const QChar c = text.at(i);
        if (isSpace(c) || c == QLatin1Char('/')) {
            tag->selfClosing = c == QLatin1Char('/');
            ++i;
            continue;
        }
        if (c == QLatin1Char('>'))
            return i + 1;
        tag->selfClosing = false;
        const int nameBegin = i;
        while (i < size && !isSpace(text.at(i)) && !QStringLiteral("\"'>/=").contains(text.at(i)))
            ++i;
        const QString name = text.mid(nameBegin, i - nameBegin).toLower();
        int j = i;
        while (j < size && isSpace(text.at(j)))
            ++j;
        QString value;
        if (j < size && text.at(j) == QLatin1Char('=')) {
            ++j;
            while (j < size && isSpace(text.at(j)))
                ++j;
            if (j < size && (text.at(j) == QLatin1Char('"') || text.at(j) == QLatin1Char('\''))) {
                const int close = text.indexOf(text.at(j), j + 1);
                if (close < 0)
                    return -1;
                value = text.mid(j + 1, close - j - 1);
                j = close + 1;
            } else {
                const int valueBegin = j;
                while (j < size && !isSpace(text.at(j)) && text.at(j) != QLatin1Char('>'))
                    ++j;
                value = text.mid(valueBegin, j - valueBegin);
            }
            i = j;
        } else if (name.isEmpty()) {
            ++i; // a stray quote or '='
        }
        if (!name.isEmpty())
            tag->attributes.append({name, value});
    }
    return -1;
}

QString decodedEntities(const QString &text)
{
    static const QRegularExpression entity(
        QStringLiteral("&(?:#([0-9]{1,7})|#[xX]([0-9a-fA-F]{1,6})|(amp|lt|gt|quot|apos));"));
    static const QHash<QString, QChar> named {{QStringLiteral("amp"), QLatin1Char('&')},
                                              {QStringLiteral("lt"), QLatin1Char('<')},
                                              {QStringLiteral("gt"), QLatin1Char('>')},
                                              {QStringLiteral("quot"), QLatin1Char('"')},
                                              {QStringLiteral("apos"), QLatin1Char('\'')}};
    QString result;
    int last = 0;
    auto matches = entity.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result += text.midRef(last, match.capturedStart() - last);
        uint code = 0;
        if (match.lastCapturedIndex() == 1)
            code = match.capturedRef(1).toUInt();
        else if (match.lastCapturedIndex() == 2)
            code = match.capturedRef(2).toUInt(nullptr, 16);
        else
            code = named.value(match.captured(3)).unicode();
        result += code > 0 && code <= 0x10FFFF ? QString::fromUcs4(&code, 1)
                                               : QString(QChar::ReplacementCharacter);
        last = match.capturedEnd();
    }
    return result + text.midRef(last);
}

// The value as it may stand in the notice, or nothing.
std::optional<QString> keptValue(const QString &attribute, const QString &value)
{
    if (attribute == QLatin1String("href")) {
        // Only web links leave the program; file: or a custom scheme could start programs.
        const QUrl url(decodedEntities(value).trimmed(), QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty()
            || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
            return std::nullopt;
        return url.toString(QUrl::FullyEncoded);
    }
    static const QHash<QString, QRegularExpression> forms {
        {QStringLiteral("align"),
         QRegularExpression(QStringLiteral("^(left|right|center|justify)$"),
                            QRegularExpression::CaseInsensitiveOption)},
        {QStringLiteral("color"),
         QRegularExpression(QStringLiteral("^(#[0-9a-fA-F]{3}|#[0-9a-fA-F]{6}|[a-zA-Z]{1,20})$"))},
        {QStringLiteral("size"), QRegularExpression(QStringLiteral("^[-+]?[1-7]$"))},
        {QStringLiteral("width"), QRegularExpression(QStringLiteral("^[0-9]{1,4}%?$"))},
    };
    static const QRegularExpression count(QStringLiteral("^[0-9]{1,3}$"));
    if (forms.value(attribute, count).match(value).hasMatch())
        return value;
    return std::nullopt;
}

QString rewritten(const Tag &tag)
{
    if (tag.closing)
        return QStringLiteral("</%1>").arg(tag.name);
    const QStringList &allowed = keptElements().value(tag.name);
    QString result = QLatin1Char('<') + tag.name;
    QStringList written;
    for (const auto &[name, value] : tag.attributes) {
        if (!allowed.contains(name) || written.contains(name))
            continue;
        if (const auto kept = keptValue(name, value)) {
            result += QStringLiteral(" %1=\"%2\"").arg(name, kept->toHtmlEscaped());
            written.append(name);
        }
    }
    return result + (tag.selfClosing ? QStringLiteral("/>") : QStringLiteral(">"));
}

} // namespace

QString sanitized(const QString &markup)
{
    QString result;
    result.reserve(markup.size());
    const int size = markup.size();
    int i = 0;
    while (i < size) {
        const QChar c = markup.at(i);
        if (c == QLatin1Char('>')) {
            result += QLatin1String("&gt;");
            ++i;
            continue;
        }
        if (c != QLatin1Char('<')) {
            result += c;
            ++i;
            continue;
        }
        if (markup.midRef(i, 4) == QLatin1String("<!--")) {
            const int end = markup.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        if (i + 1 < size
            && (markup.at(i + 1) == QLatin1Char('!') || markup.at(i + 1) == QLatin1Char('?'))) {
            const int end = markup.indexOf(QLatin1Char('>'), i);
            if (end < 0)
                break;
            i = end + 1;
            continue;
        }
        Tag tag;
        const int end = readTag(markup, i, &tag);
        if (end < 0)
            break; // the rest would be read as one tag
        if (end == 0) {
            result += QLatin1String("&lt;");
            ++i;
            continue;
        }
        i = end;
        if (!tag.closing && dropsContent(tag.name)) {
            const int close
                = markup.indexOf(QLatin1String("</") + tag.name, i, Qt::CaseInsensitive);
            if (close < 0)
                break;
            i = close;
        } else if (keptElements().contains(tag.name)) {
            result += rewritten(tag);
        }
    }
    return result;
}

} // namespace NoticeMarkup
