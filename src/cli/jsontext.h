// JSON output that is valid whatever a player sent and safe to show in a
// terminal: compact, UTF-8, with every character that a terminal could take
// as a command written as an escape inside its string.
#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace JsonText {

// A JSON string literal: quotes, backslashes and control characters escaped as
// JSON requires, every other character unsafe for a terminal as \uNNNN, and a
// surrogate without its pair as U+FFFD (UTF-8 cannot carry one).
QByteArray quoted(const QString &text);

// A value as compact JSON text. Object members come in Qt's order (by key).
QByteArray write(const QJsonValue &value);

} // namespace JsonText
