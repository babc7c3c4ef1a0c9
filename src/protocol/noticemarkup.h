// The update service's notice as the window may show it: rich text that keeps
// its formatting and its web links and names nothing to load. The notice comes
// over plain HTTP from whoever answers the update request; a picture, a style
// sheet or a background in it would have the window fetch from any address, or
// show a local file, as soon as the notice is built. Only elements and
// attributes that load nothing are kept, written anew; every other tag, with
// the content of head, title, style and script, is dropped, and text stays
// text.
#pragma once

#include <QString>

namespace NoticeMarkup {

QString sanitized(const QString &markup);

} // namespace NoticeMarkup
