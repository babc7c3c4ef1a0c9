#include "jsontext.h"

#include "terminaltext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

#include <cmath>

namespace JsonText {

QByteArray quoted(const QString &text)
{
    QString result(QLatin1Char('"'));
    for (int i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result.append(unit).append(text.at(++i));
            continue;
        }
        const char32_t c = unit.unicode();
        if (c == '"' || c == '\\')
            result.append(QLatin1Char('\\')).append(unit);
        else if (unit.isSurrogate())
            result.append(QChar(QChar::ReplacementCharacter));
        else if (TerminalText::isUnsafe(c))
            result.append(
                QStringLiteral("\\u%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')));
        else
            result.append(unit);
    }
    result.append(QLatin1Char('"'));
    return result.toUtf8();
}

QByteArray write(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? "true" : "false";
    case QJsonValue::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return "null";
        return QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    }
    case QJsonValue::String:
        return quoted(value.toString());
    case QJsonValue::Array: {
        QByteArray text("[");
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i)
            text += (i ? "," : "") + write(array.at(i));
        return text + ']';
    }
    case QJsonValue::Object: {
        QByteArray text("{");
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            text += (it == object.constBegin() ? "" : ",") + quoted(it.key()) + ':'
                + write(it.value());
        return text + '}';
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return "null";
}

} // namespace JsonText
