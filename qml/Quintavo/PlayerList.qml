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
Item {
    id: playerList

    // The directory of players (a list model of hostname, ipaddress,
    // answering, notSeenYet, lastSeen and what each plays).
    property var directory: null
    property real rowHeight: 70
    property int spacing: 2
    property color fontColor: "white"
    property bool showFocus: false
    // The hub port another program holds, so that no player can register; 0
    // while the hub listens.
    property int takenHubPort: 0

    // The user opens the player of a row.
    signal opened(int row)

    // Up, Down, Page Up, Page Down move the keyboard focus, stopping at
    // either end; the first key puts it on the first row. Return, Enter and
    // Space open the focused row's player, Delete forgets it, Menu opens its
    // menu, which then takes every key. True when the key was taken.
    function handleKey(key) {
        if (menu.visible)
            return menu.handleKey(key)
        switch (key) {
        case Qt.Key_Down: moveFocus(1); return true
        case Qt.Key_Up: moveFocus(-1); return true
        case Qt.Key_PageDown: moveFocus(pageStep()); return true
        case Qt.Key_PageUp: moveFocus(-pageStep()); return true
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            if (list.activeFocus && list.currentItem)
                list.currentItem.press()
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
        return false
    }

    function moveFocus(step) {
        if (list.count === 0)
            return
        var from = list.activeFocus ? list.currentIndex : 0
        var to = list.activeFocus ? from + step : Math.max(0, step - 1)
        focusRow(Math.max(0, Math.min(list.count - 1, to)))
    }

    // Puts the keyboard focus on a row and scrolls it into view.
    function focusRow(row) {
        if (row < 0 || row >= list.count)
            row = Math.max(0, Math.min(list.count - 1, list.currentIndex))
        list.currentIndex = row
        list.positionViewAtIndex(row, ListView.Contain)
        list.forceActiveFocus()
    }

    // The rows one screen holds.
    function pageStep() {
        return Math.max(1, Math.floor(list.height / (rowHeight + spacing)))
    }

    ListView {
        id: list
        objectName: "deviceList"
        anchors.fill: parent
        spacing: playerList.spacing
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

            height: playerList.rowHeight
            line1: model.hostname || ""
            line2: [model.ipaddress || "", notSeenYet, lastSeen, playingNote]
                .filter(function (part) { return part !== "" }).join(" \u00b7 ")
            dimmed: !model.answering
            hasMenu: true
            fontColor: playerList.fontColor
            showFocus: playerList.showFocus
            onClicked: {
                list.currentIndex = index
                playerList.opened(index)
            }
            onMenuRequested: {
                list.currentIndex = index
                menu.open(row)
            }
            Accessible.name: [model.hostname, model.ipaddress]
                .concat(row.playing === "" ? [] : [model.playingStale
                    //: Read by screen readers after a player's name and address; %1 is the video it played when it last answered.
                    ? qsTr("last known playing %1").arg(row.playing)
                    //: Read by screen readers after a player's name and address; %1 is the video it plays.
                    : qsTr("playing %1").arg(row.playing)])
                //: Read by screen readers after a player's name and address.
                .concat(model.answering ? [] : model.notSeenYet ? [notSeenYet] : [qsTr("not answering"), lastSeen])
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
            font.pointSize: 16
            color: playerList.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            //: Two lines of about the same length, split by <br/>.
            text: qsTr("Please make sure you are connected to the same<br/>network as the Media Players")
            font.pointSize: 8
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
        color: "#d0202838"

        Text {
            id: portNotice
            objectName: "portNotice"
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 8)
            //: %1 is a TCP port number.
            text: playerList.takenHubPort > 0 ? qsTr("Port %1 is in use by another program; players cannot register.").arg(playerList.takenHubPort) : ""
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            font.pointSize: 8
            color: playerList.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
