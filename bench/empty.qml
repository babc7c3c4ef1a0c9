import QtQuick 2.0

// The reference scene of the start-up benchmark: a window with nothing in it.
Item {
    width: 400
    height: 700
}
