// Where the window opens: where the user last closed it, kept in the settings
// file, as far as the screens there are now show it.
#pragma once

#include <QRect>
#include <QVector>

namespace WindowPlacement {

// The key of the window's last place and size (its area inside the frame, in
// device-independent pixels) in the settings file.
inline constexpr char settingsKey[] = "window/geometry";

// Where a window last closed at `saved` opens on screens whose free areas are
// `screens`, the primary one first: on the screen that shows most of it, or on
// the primary one, centred, when none shows any; no larger than that screen
// and moved onto it by the least. An invalid `saved` (nothing kept) or no
// screen gives an invalid rectangle: the window keeps the size it has.
QRect onScreens(const QRect &saved, const QVector<QRect> &screens);

} // namespace WindowPlacement
