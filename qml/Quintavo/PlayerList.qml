import QtQuick 2.7

// The players found and remembered, one row each, as the directory orders
// them; a row keeps its player while others come, go or move, and with it the
// keyboard focus and the place in view. A row's second line says what its
// player plays; the row dims while its player does not answer, says when it
// was last seen (or that it has not been seen yet since the start), and can
// still be opened. Delete, or "Forget" in the row's menu (right click, long
// press, Menu key), takes a player off the list. While there is no player, a
// notice says where to look; while another program holds the hub port, a
// notice at the bottom says so.
//
// Rows can be selected: Space or Ctrl+click toggles one, Shift+Up/Down or
// Shift+click extends from the row toggled last, Ctrl+A selects the rows
// shown, "Select" in a row's menu starts selecting by touch; while any row is
// selected a tap toggles a row. Typing filters the rows by host name or
// address (Backspace takes a letter back); Escape clears the filter, then the
// selection. The groups stand above the rows; a tap selects a group's members.
Item {
    id: playerList

    // The rows shown (PlayerFilter: a list model of hostname, ipaddress,
    // answering, notSeenYet, lastSeen, what each plays, selected and
    // switchOutcome, with what the scene asks of a row).
    property var directory: null
    // How many players are selected, and the groups (a list model of name
    // and members).
    property int selectedCount: 0
    property var groups: null
    property real rowHeight: 70
    property int spacing: 2
    property color fontColor: Theme.text
    property bool showFocus: false
    // The height at the bottom that something over the list covers (the
    // selection bar): the rows end above it, so that the last of them can
    // still be reached.
    property real bottomReserve: 0
    // The hub port another program holds, so that no player can register; 0
    // while the hub listens.
    property int takenHubPort: 0

    // The user opens the player of a row; asks to rename a group.
    signal opened(int row)
    signal renameGroup(int row, string name)

    // Up, Down, Page Up, Page Down move the keyboard focus, stopping at
    // either end; the first key puts it on the first row; with Shift, Up and
    // Down extend the selection. Return and Enter open the focused row's
    // player, Space toggles it, Delete forgets it, Menu opens its menu,
    // which then takes every key. A letter typed filters the rows. True when
    // the key was taken.
    function handleKey(key, modifiers, text) {
        if (menu.visible)
            return menu.handleKey(key)
        if (groupBar.handleKey(key))
            return true
        var shift = (modifiers & Qt.ShiftModifier) !== 0
        var control = (modifiers & Qt.ControlModifier) !== 0
        switch (key) {
        case Qt.Key_Down:
        case Qt.Key_Up:
            var from = list.activeFocus ? list.currentIndex : -1
            moveFocus(paging.stepOf(key))
            if (shift && list.count > 0)
                directory.extendTo(from < 0 ? list.currentIndex : from, list.currentIndex)
            return true
        case Qt.Key_PageDown:
        case Qt.Key_PageUp:
            moveFocus(paging.stepOf(key))
            return true
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (list.activeFocus && list.currentItem)
                playerList.opened(list.currentIndex)
            return true
        case Qt.Key_Space:
            if (list.activeFocus && list.currentItem)
                directory.toggle(list.currentIndex)
            return true
        case Qt.Key_A:
            if (control) {
                directory.selectShown()
                return true
            }
            break
        case Qt.Key_Escape:
            if (directory.text !== "") {
                setFilter("")
                return true
            }
            if (selectedCount > 0) {
                directory.clearSelection()
                return true
            }
            return false
        case Qt.Key_Backspace:
            if (directory.text === "")
                return false
            setFilter(directory.text.slice(0, -1))
            return true
        case Qt.Key_Delete:
            if (list.activeFocus && list.currentItem)
                directory.forget(list.currentIndex)
            return true
        case Qt.Key_Menu:
            if (list.activeFocus && list.currentItem)
                menu.open(list.currentItem)
            return true
        }
        // A printable character, typed without Ctrl or Alt, finds players.
        if (text !== undefined && text.length === 1 && text > " " && text !== "\u007f"
                && (modifiers & (Qt.ControlModifier | Qt.AltModifier)) === 0) {
            setFilter(directory.text + text)
            return true
        }
        return false
    }

    // The rows change under the filter; the keyboard focus stays on its
    // player, and comes back to it when the player is shown again (from the
    // list itself, which holds it while no row is shown).
    function setFilter(text) {
        var onList = playerList.activeFocus
        directory.text = text
        var row = directory.focusedRow()
        if (row >= 0 && onList)
            focusRow(row)
    }

    function moveFocus(step) {
        if (list.count === 0)
            return
        focusRow(paging.target(list.activeFocus ? list.currentIndex : -1, step, list.count - 1))
    }

    // Puts the keyboard focus on a row and scrolls it into view.
    function focusRow(row) {
        if (row < 0 || row >= list.count)
            row = Math.max(0, Math.min(list.count - 1, list.currentIndex))
        list.currentIndex = row
        list.positionViewAtIndex(row, ListView.Contain)
        list.forceActiveFocus()
        directory.setFocusedRow(row)
    }

    // The keyboard focus back on the list, after a panel over it closed.
    function restoreFocus() {
        if (list.count > 0)
            list.forceActiveFocus()
        else
            playerList.forceActiveFocus()
    }

    // The rows' items in the order they stand, top down, so that screen
    // readers find them in that order (see RowOrder).
    function restack() {
        rowOrder.restack(list.contentItem, "rowIndex")
    }

    Paging {
        id: paging
        viewHeight: list.height
        rowPitch: playerList.rowHeight + playerList.spacing
    }

    GroupBar {
        id: groupBar
        objectName: "groupBar"
        // Its menu opens over the rows; a row's menu opens over it.
        z: 1
        reach: playerList.height
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        groups: playerList.groups
        fontColor: playerList.fontColor
        showFocus: playerList.showFocus
        onRenameRequested: playerList.renameGroup(row, name)
    }

    ListView {
        id: list
        objectName: "deviceList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: groupBar.bottom
        anchors.topMargin: groupBar.height > 0 ? playerList.spacing : 0
        anchors.bottom: parent.bottom
        anchors.bottomMargin: playerList.bottomReserve
        spacing: playerList.spacing
        //: The list of players, for screen readers.
        Accessible.name: qsTr("Players")
        Accessible.role: Accessible.List
        keyNavigationEnabled: false // the keys above move the focus
        // There is no highlight to move: following the current item would
        // animate towards it at 400 px/s, a frame after frame for minutes when
        // rows come in above it (as a crowd of players registers).
        highlightFollowsCurrentItem: false
        model: playerList.directory
        // Rows are made as they scroll into view, never ahead in the
        // background: a row still being made when its player leaves the list
        // would be cancelled with a warning.
        cacheBuffer: 0

        delegate: Button {
            id: row

            readonly property int rowIndex: index

            // What the player plays, or nothing until it has said.
            readonly property string playing: model.playing
            readonly property string playingNote: playing === "" ? ""
                //: After a player's address on its row, when the player no longer answers; %1 is the video it played when it last did.
                : model.playingStale ? qsTr("last known: %1").arg(playing) : playing
            // When a player that does not answer was last seen: today by the
            // time, yesterday, or before that by the date.
            readonly property string lastSeen: model.answering || model.notSeenYet || !model.lastSeen ? ""
                //: On a player's row when it does not answer; %1 is the time today it last did, such as 08:12, or the date of a day before yesterday.
                : model.lastSeenDaysAgo === 0 ? qsTr("last seen %1").arg(Qt.formatTime(model.lastSeen, "hh:mm"))
                //: On a player's row when it does not answer; %1 is the time yesterday it last did, such as 17:40.
                : model.lastSeenDaysAgo === 1 ? qsTr("last seen yesterday %1").arg(Qt.formatTime(model.lastSeen, "hh:mm"))
                : qsTr("last seen %1").arg(Qt.formatDate(model.lastSeen, Locale.ShortFormat))
            //: On the row of a player remembered from an earlier run that has not answered since the start.
            readonly property string notSeenYet: model.notSeenYet ? qsTr("not seen yet") : ""

            // What came of the latest switch of the selected players.
            readonly property string outcome: {
                switch (model.switchOutcome) {
                //: On a selected player's row while it is told to switch.
                case "switching": return qsTr("switching")
                //: On a selected player's row: its playlist has no video of the description chosen.
                case "no such video": return qsTr("no such video")
                //: On a selected player's row: it did not answer the switch in time.
                case "not answering": return qsTr("not answering")
                //: On a selected player's row: its address refused or could not be reached.
                case "unreachable": return qsTr("cannot be reached")
                //: On a selected player's row: it answered, but plays another video than the one chosen.
                case "plays another": return qsTr("plays another video")
                //: On a selected player's row: its answer did not say what it plays.
                case "unclear": return qsTr("did not say what it plays")
                }
                return ""
            }

            height: playerList.rowHeight
            line1: model.hostname || ""
            line2: [model.ipaddress || "", outcome, notSeenYet, lastSeen, playingNote]
                .filter(function (part) { return part !== "" }).join(" \u00b7 ")
            dimmed: !model.answering
            selected: model.selected === true
            hasMenu: true
            fontColor: playerList.fontColor
            showFocus: playerList.showFocus
            onClicked: {
                list.currentIndex = index
                playerList.directory.setFocusedRow(index)
                if (playerList.selectedCount > 0)
                    playerList.directory.toggle(index)
                else
                    playerList.opened(index)
            }
            onModifiedClick: {
                var from = list.currentIndex
                list.currentIndex = index
                playerList.directory.setFocusedRow(index)
                if (modifiers & Qt.ShiftModifier)
                    playerList.directory.extendTo(from >= 0 ? from : index, index)
                else
                    playerList.directory.toggle(index)
            }
            onMenuRequested: {
                list.currentIndex = index
                menu.open(row)
            }
            onYChanged: Qt.callLater(playerList.restack)
            Component.onCompleted: Qt.callLater(playerList.restack)
            // An item of the players' list, with its place and whether it is
            // selected, for screen readers.
            Accessible.role: Accessible.ListItem
            Accessible.selectable: true
            Accessible.selected: selected
            //: Read by screen readers after a player's row: its place in the list shown, such as 3 of 8.
            Accessible.description: qsTr("%1 of %2").arg(index + 1).arg(list.count)
            Accessible.name: [model.hostname, model.ipaddress]
                .concat(row.outcome === "" ? [] : [row.outcome])
                .concat(row.playing === "" ? [] : [model.playingStale
                    //: Read by screen readers after a player's name and address; %1 is the video it played when it last answered.
                    ? qsTr("last known playing %1").arg(row.playing)
                    //: Read by screen readers after a player's name and address; %1 is the video it plays.
                    : qsTr("playing %1").arg(row.playing)])
                //: Read by screen readers after a player's name and address.
                .concat(model.answering || model.switchOutcome === "not answering" ? [] : model.notSeenYet ? [notSeenYet] : [qsTr("not answering"), lastSeen])
                .filter(function (part) { return part !== "" }).join(", ")
        }

        // The directory asks the players of the rows in view what they play.
        // Rows are all of one height, so where they stand follows from the
        // scroll position, also before the list has made their items.
        function reportRowsInView() {
            if (!playerList.directory)
                return
            if (!list.visible || list.count === 0) {
                playerList.directory.setRowsInView(-1, -1)
                return
            }
            var step = playerList.rowHeight + playerList.spacing
            var top = list.contentY - list.originY
            var first = Math.max(0, Math.floor(top / step))
            var last = Math.min(list.count - 1, Math.floor((top + list.height - 1) / step))
            playerList.directory.setRowsInView(first, last)
        }

        onContentYChanged: Qt.callLater(reportRowsInView)
        onHeightChanged: Qt.callLater(reportRowsInView)
        onCountChanged: Qt.callLater(reportRowsInView)
        onVisibleChanged: Qt.callLater(reportRowsInView)
    }

    // The last row gone: the focus leaves the list, so that the first key
    // puts it on the first row of those to come (the list would keep it on
    // the first player to come back, wherever that stands).
    Connections {
        target: playerList.directory
        function onCountChanged() {
            if (playerList.directory.count === 0 && list.activeFocus)
                playerList.forceActiveFocus()
        }
    }

    PlayerMenu {
        id: menu
        objectName: "playerMenu"
        anchors.fill: parent
        z: 1
        view: list
        rowHeight: playerList.rowHeight
        fontColor: playerList.fontColor
        showFocus: playerList.showFocus
        onForgetChosen: playerList.directory.forget(index)
        onSelectChosen: playerList.directory.toggle(index)
        onClosed: if (list.count > 0) list.forceActiveFocus()
    }

    Column {
        id: errorLabel
        objectName: "errorLabel"
        anchors.fill: parent
        visible: list.count === 0

        // Named for screen readers explicitly: a Text is offered to them by
        // itself only when one already listens as the scene loads.
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("No Players Found")
            font.pointSize: Theme.titleSize
            color: playerList.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            //: Two lines of about the same length, split by <br/>.
            text: qsTr("Please make sure you are connected to the same<br/>network as the Media Players")
            font.pointSize: Theme.detailSize
            color: playerList.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text.replace(/<br\/>/g, " ")
        }
    }

    // Over the bottom of the list, whether or not players are listed (the
    // remembered ones are, without answering).
    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: portNotice.height + 8
        z: 2
        visible: playerList.takenHubPort > 0
        color: Theme.portNoticeFill

        Text {
            id: portNotice
            objectName: "portNotice"
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 8)
            //: %1 is a TCP port number.
            text: playerList.takenHubPort > 0 ? qsTr("Port %1 is in use by another program; players cannot register.").arg(playerList.takenHubPort) : ""
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            font.pointSize: Theme.detailSize
            color: playerList.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
