#include "entrylabel.h"

#include <QCoreApplication>

namespace EntryLabel {

QString text(int index, const QString &description)
{
    if (index == 0)
        //: The entry that makes a player show its own default video, and what a player's row says
        //: it plays then.
        return QCoreApplication::translate("EntryLabel", "Default");
    if (!description.isEmpty())
        return description;
    //: A video the player sent without a description; %1 is its place in the playlist.
    return QCoreApplication::translate("EntryLabel", "Video %1").arg(index);
}

} // namespace EntryLabel
