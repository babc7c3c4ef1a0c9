// What a playlist entry is called wherever it is shown, in the window and by
// quintavo-cli alike: "Default" for entry 0, the player's description for
// video k, or "Video k" for a video the player sent without one. Translated
// where the program has installed a translation.
#pragma once

#include <QString>

namespace EntryLabel {

QString text(int index, const QString &description = QString());

} // namespace EntryLabel
