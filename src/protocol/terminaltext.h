// Text from the network made safe for a terminal. A player chooses its own
// name and descriptions; printed as they are, an escape sequence in them would
// reach the user's terminal (move the cursor, retitle the window, clear the
// screen), a newline or tab would forge lines or columns, and a bidirectional
// override would show the text in another order than it is.
#pragma once

#include <QString>

namespace TerminalText {

// Whether a code point must not reach a terminal as it is: C0 and C1 control
// characters, DEL, the bidirectional formatting characters, the line and
// paragraph separators, and surrogates that are not part of a pair.
bool isUnsafe(char32_t codePoint);

// The text with every unsafe character written out: \t, \n and \r; \xNN for
// other C0 controls and DEL; \uNNNN for the rest. A backslash becomes \\, so
// that a name cannot pose as an escaped one.
QString escaped(const QString &text);

} // namespace TerminalText
