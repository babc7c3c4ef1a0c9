import QtQuick 2.7

// The bar at the bottom of the list while players are selected: how many,
// and Play, Forget, Save as group and Clear. Play lists "Default" and every
// description the selected players' playlists hold, each with how many of
// them hold it ("Evening loop — 3 of 4"); choosing one switches every
// selected player to it. Once every player is done, one line sums it up
// ("3 of 4 switched: bar-2 is not answering"), which screen readers hear as
// an alert. Tab takes the keyboard focus from the list to the buttons and on
// through them (Shift+Tab back), Left and Right move it, Return, Enter and
// Space press; Escape, or a Tab past either end, gives it back to the list.
Item {
    id: bar

    // How many players are selected; the play on them (SelectionPlay); the
    // rows shown (PlayerFilter), for Forget and Clear.
    property int selectedCount: 0
    property var play: null
    property var filter: null
    property real rowHeight: 70
    property color fontColor: Theme.text
    property bool showFocus: false
    // Whether the list of entries to play is open.
    readonly property alias choosing: choices.visible

    signal saveRequested
    // The keyboard focus goes back to the list: the bar or its list of
    // entries gave it up.
    signal focusReturned

    // The line that sums up the latest round, or "" while there is none.
    readonly property string summary: {
        if (!play || !play.done)
            return ""
        //: Sums up a switch of several players: %1 of them switched, of %2.
        var line = qsTr("%1 of %2 switched").arg(play.switched).arg(play.total)
        var failed = play.failures.map(function (failure) {
            switch (failure.outcome) {
            //: After the sum of a switch of several players; %1 is a player's name.
            case "not answering": return qsTr("%1 is not answering").arg(failure.name)
            //: After the sum of a switch of several players; %1 is a player's name.
            case "no such video": return qsTr("%1 has no such video").arg(failure.name)
            //: After the sum of a switch of several players; %1 is a player's name.
            case "unreachable": return qsTr("%1 cannot be reached").arg(failure.name)
            //: After the sum of a switch of several players; %1 is a player's name.
            case "plays another": return qsTr("%1 plays another video").arg(failure.name)
            }
            //: After the sum of a switch of several players; %1 is a player's name.
            return qsTr("%1 did not say what it plays").arg(failure.name)
        })
        //: The sum of a switch of several players (%1), then those that did not switch (%2).
        return failed.length ? qsTr("%1: %2").arg(line).arg(failed.join(", ")) : line
    }

    // Opens the entries to play; the selected players are asked for their
    // playlists.
    function openChoices() {
        play.gather()
        choices.visible = true
        choiceList.currentIndex = 0
        choiceList.forceActiveFocus()
    }

    function closeChoices() {
        choices.visible = false
        bar.focusReturned()
    }

    // The button that has the keyboard focus, or -1.
    function focusedButton() {
        for (var i = 0; i < buttons.count; ++i)
            if (buttons.itemAt(i).activeFocus)
                return i
        return -1
    }

    // Every key goes to the list of entries while it is open: Up and Down
    // move, Return, Enter and Space choose, Escape closes. Then the keys of
    // the buttons, above. True when taken.
    function handleKey(key) {
        if (choices.visible) {
            switch (key) {
            case Qt.Key_Escape: bar.closeChoices(); break
            case Qt.Key_Down: choiceList.currentIndex = Math.min(choiceList.count - 1, choiceList.currentIndex + 1); break
            case Qt.Key_Up: choiceList.currentIndex = Math.max(0, choiceList.currentIndex - 1); break
            case Qt.Key_Return:
            case Qt.Key_Enter:
            case Qt.Key_Space:
                if (choiceList.currentItem)
                    choiceList.currentItem.press()
                break
            }
            return true
        }
        if (!visible)
            return false
        var focused = focusedButton()
        switch (key) {
        case Qt.Key_Tab:
        case Qt.Key_Backtab:
            var next = key === Qt.Key_Tab ? focused + 1 : focused < 0 ? buttons.count - 1 : focused - 1
            if (next < 0 || next >= buttons.count)
                bar.focusReturned()
            else
                buttons.itemAt(next).forceActiveFocus()
            return true
        }
        if (focused < 0)
            return false
        switch (key) {
        case Qt.Key_Left: buttons.itemAt(Math.max(0, focused - 1)).forceActiveFocus(); return true
        case Qt.Key_Right: buttons.itemAt(Math.min(buttons.count - 1, focused + 1)).forceActiveFocus(); return true
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            buttons.itemAt(focused).press()
            return true
        case Qt.Key_Escape:
            bar.focusReturned()
            return true
        }
        return false
    }

    visible: selectedCount > 0
    height: column.height + 12
    onVisibleChanged: if (!visible) choices.visible = false
    // The entries are those of the players selected when Play opened.
    onSelectedCountChanged: if (choices.visible) bar.closeChoices()

    Rectangle {
        anchors.fill: parent
        color: Theme.selectionBarFill
        border.width: Theme.thinOutlineWidth
        border.color: Theme.outline
    }

    // A press on the bar goes to nothing beneath it.
    MouseArea {
        anchors.fill: parent
    }

    Column {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.margins: 6
        spacing: 6

        Text {
            objectName: "selectedCount"
            anchors.horizontalCenter: parent.horizontalCenter
            //: In the bar over the list while players are selected; %1 is how many.
            text: qsTr("%1 selected").arg(bar.selectedCount)
            font.pointSize: Theme.labelSize
            color: bar.fontColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Text {
            objectName: "summary"
            width: parent.width
            visible: text !== ""
            text: bar.summary
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pointSize: Theme.messageSize
            color: bar.fontColor
            // Heard when it comes, as an alert.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 6

            Repeater {
                id: buttons
                model: [
                    //: In the bar while players are selected: plays one video on all of them.
                    { name: "playButton", text: qsTr("Play") },
                    //: In the bar while players are selected: takes them off the list.
                    { name: "forgetButton", text: qsTr("Forget") },
                    //: In the bar while players are selected: names them as a group.
                    { name: "saveGroupButton", text: qsTr("Save as group") },
                    //: In the bar while players are selected: selects none.
                    { name: "clearButton", text: qsTr("Clear") }
                ]

                Rectangle {
                    objectName: modelData.name
                    width: label.implicitWidth + 16
                    height: label.implicitHeight + 14
                    radius: Theme.buttonRadius
                    color: area.pressed ? Theme.pressedFill : Theme.panelFill
                    border.width: Theme.outlineWidth
                    border.color: Theme.outline
                    Accessible.role: Accessible.Button
                    Accessible.name: modelData.text
                    Accessible.onPressAction: press()

                    function press() {
                        switch (index) {
                        case 0: bar.openChoices(); break
                        case 1: bar.filter.forgetSelected(); break
                        case 2: bar.saveRequested(); break
                        case 3: bar.filter.clearSelection(); break
                        }
                    }

                    Text {
                        id: label
                        anchors.centerIn: parent
                        text: modelData.text
                        font.pointSize: Theme.labelSize
                        color: bar.fontColor
                    }

                    Rectangle {
                        objectName: "focusFrame"
                        anchors.fill: parent
                        anchors.margins: 3
                        visible: parent.activeFocus && bar.showFocus
                        color: Theme.noFill
                        border.width: Theme.buttonFocusFrameWidth
                        border.color: Theme.focusFrame
                        radius: Theme.buttonFocusFrameRadius
                    }

                    MouseArea {
                        id: area
                        anchors.fill: parent
                        onClicked: parent.press()
                    }
                }
            }
        }
    }

    // The entries to play, over the list above the bar.
    Rectangle {
        id: choices
        objectName: "playChoices"
        visible: false
        anchors.bottom: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: Math.min(bar.parent ? bar.parent.height - bar.height : 0,
                         choiceList.count * (bar.rowHeight + 2) + 4)
        color: Theme.choicesFill
        Accessible.role: Accessible.PopupMenu
        //: The list of videos to play on the selected players, for screen readers.
        Accessible.name: qsTr("Play")

        // A press outside an entry does nothing.
        MouseArea {
            anchors.fill: parent
        }

        ListView {
            id: choiceList
            objectName: "choiceList"
            anchors.fill: parent
            anchors.margins: 2
            spacing: 2
            clip: true
            keyNavigationEnabled: false
            highlightFollowsCurrentItem: false
            model: bar.play ? bar.play.entries : null

            delegate: Button {
                readonly property string video: model.label || ""

                height: bar.rowHeight
                //: An entry to play on the selected players: the video (%1), how many of them hold it (%2) and how many there are (%3).
                line1: qsTr("%1 — %2 of %3").arg(video).arg(model.holders).arg(model.players)
                fontColor: bar.fontColor
                showFocus: bar.showFocus
                Accessible.role: Accessible.MenuItem
                onClicked: {
                    bar.closeChoices()
                    bar.play.play(index)
                }
            }
        }
    }
}
