import QtQuick 2.7

// The menu of a row of the player list, over the list: "Forget", which takes
// the player off the list and out of what is remembered, and "Select" (or
// "Deselect"), which starts selecting rows by touch. It opens beside its row
// and stays with it wherever it moves; it closes when the row goes, on a
// press anywhere outside it, and on Escape or Menu. It takes the keyboard
// focus, on Forget first; Down and Up move it, Return, Enter and Space
// choose.
Item {
    id: menu

    // The row (a delegate of view) the menu is open for; null while closed.
    property Item row: null
    property Item view: null
    property real rowHeight: 70
    property color fontColor: Theme.text
    property bool showFocus: false

    // The user chose Forget for the row at that index; closed signals that
    // the menu closed, whichever way.
    signal forgetChosen(int index)
    signal selectChosen(int index)
    signal closed

    function open(target) {
        row = target
        entry.forceActiveFocus()
    }

    function close() {
        row = null
    }

    // Every key goes to the menu while it is open. True when taken.
    function handleKey(key) {
        switch (key) {
        case Qt.Key_Escape:
        case Qt.Key_Menu:
            close()
            break
        case Qt.Key_Down:
            selectEntry.forceActiveFocus()
            break
        case Qt.Key_Up:
            entry.forceActiveFocus()
            break
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            (selectEntry.activeFocus ? selectEntry : entry).press()
            break
        }
        return true
    }

    visible: row !== null
    onVisibleChanged: if (!visible) closed()

    // Outside the menu: a press closes it, and the list under it does not
    // scroll away from its row.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onPressed: menu.close()
        onWheel: wheel.accepted = true
    }

    Rectangle {
        id: panel

        // Below the middle of its row, at the right, inside the list.
        readonly property real rowTop: menu.row && menu.view
            ? menu.row.y - menu.view.contentY + menu.view.y : 0

        width: menu.width * 0.45
        height: 2 * menu.rowHeight
        x: menu.width - width - 8
        y: Math.max(0, Math.min(menu.height - height, rowTop + menu.rowHeight / 2))
        radius: Theme.entryRadius
        color: Theme.panelFill
        border.width: Theme.outlineWidth
        border.color: Theme.outline
        Accessible.role: Accessible.PopupMenu
        Accessible.name: menu.row ? menu.row.line1 : ""

        Button {
            id: entry
            objectName: "forgetEntry"
            anchors.top: parent.top
            height: menu.rowHeight
            //: In a player's menu on the list: takes the player off the list, also at the next start.
            line1: qsTr("Forget")
            fontColor: menu.fontColor
            showFocus: menu.showFocus
            Accessible.role: Accessible.MenuItem
            onClicked: {
                var index = menu.row.rowIndex
                menu.close()
                menu.forgetChosen(index)
            }
        }

        Button {
            id: selectEntry
            objectName: "selectEntry"
            anchors.bottom: parent.bottom
            height: menu.rowHeight
            line1: menu.row && menu.row.selected
                //: In a player's menu on the list: takes the player out of the players selected.
                ? qsTr("Deselect")
                //: In a player's menu on the list: selects the player; from then on a tap selects or deselects a row.
                : qsTr("Select")
            fontColor: menu.fontColor
            showFocus: menu.showFocus
            Accessible.role: Accessible.MenuItem
            onClicked: {
                var index = menu.row.rowIndex
                menu.close()
                menu.selectChosen(index)
            }
        }
    }
}
