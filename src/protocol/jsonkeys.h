// Finds objects that name a key twice in JSON text. Qt 5.15's JSON parser keeps
// the last of duplicate keys and leaks the object or array it drops, so text
// from the network with duplicate keys is refused before it is parsed: a peer
// could otherwise make the application leak memory reply by reply.
#pragma once

#include <QByteArray>

namespace JsonKeys {

// True when some object in json (any nesting) holds the same key twice, keys
// compared as the parser compares them (escapes decoded). Text that is not
// well-formed JSON may give either answer; the parser refuses it anyway.
bool hasDuplicates(const QByteArray &json);

} // namespace JsonKeys
