#include "windowplacement.h"

#include <QtGlobal>

namespace WindowPlacement {

namespace {

qint64 sharedArea(const QRect &a, const QRect &b)
{
    const QRect shared = a.intersected(b);
    return shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
}

} // namespace

QRect onScreens(const QRect &saved, const QVector<QRect> &screens)
{
    if (!saved.isValid() || screens.isEmpty())
        return QRect();
    QRect screen = screens.first();
    qint64 shown = 0;
    for (const QRect &candidate : screens) {
        const qint64 area = sharedArea(saved, candidate);
        if (area > shown) {
            shown = area;
            screen = candidate;
        }
    }
    QRect place(saved.topLeft(), saved.size().boundedTo(screen.size()));
    // A monitor that is gone, or a place no screen reaches any more.
    if (shown == 0)
        place.moveCenter(screen.center());
    place.moveLeft(qBound(screen.left(), place.left(), screen.right() - place.width() + 1));
    place.moveTop(qBound(screen.top(), place.top(), screen.bottom() - place.height() + 1));
    return place;
}

} // namespace WindowPlacement
