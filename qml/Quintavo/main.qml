import QtQuick 2.7
import QtQuick.Window 2.1

// The whole scene: the list of players (base state) and one player's screen
// ("info"), under a shared header bar, with the update notice on top. Sizes
// are fractions of the root, which the window sizes to itself. It reaches the
// native side through `networkMessenger` (the hub), `playerDirectory` (the
// players to list), `playerFilter` (the rows of it shown), `selectionPlay`
// (one video played on the selected players), `playerGroups` and `playlist`
// (the open player's videos); the parts it places get what they need as
// properties.
// Keys: Up, Down, Page Up and Page Down move the keyboard focus through the
// rows or entries; Return, Enter and Space do what a tap on the focused one
// does (on the list Space selects); Escape and Backspace go back; Escape
// closes the update notice first, then on the list a menu, the filter, the
// selection; F5 scans at once; on the list, Delete forgets the focused player,
// Menu opens its row's menu, Ctrl+A selects the rows shown, letters find
// players, and while players are selected Tab reaches the bar's buttons.
Rectangle {
    id: main

    property string backgroundColor: Theme.screenFill
    property string fontColor: Theme.text
    property real buttonBarHeight: 1 / 10
    property real clientHeight: 1 / 10
    property int activeIndex: -1
    property int listSpacing: 2
    // The hub port another program holds, so that no player can register; 0
    // while the hub listens. Set by start-up.
    property int takenHubPort: 0
    // How often the list scans; tests shorten it.
    property int scanInterval: 10000
    // Whether the focus frame shows: from the first key until the next press
    // of the pointer, so that the scene looks to pointer users as it always has.
    property bool keyboardUsed: false

    // A row of the list: its player's screen, empty until the player answers.
    function openPlayer(row) {
        main.activeIndex = -1
        playerFilter.open(row)
        main.state = "info"
        playerScreen.focusDefault()
    }

    // Back to the list, to the row of the player that was open, wherever it
    // stands now.
    function goBack() {
        main.state = ""
        playerList.focusRow(playerFilter.openedRow())
    }

    // Why a group's name was refused, as GroupList says it.
    function refusalText(result) {
        switch (result) {
        //: Under the name typed for a group, when it is refused; %1 and %2 are the characters / and \.
        case "bad name": return qsTr("A group's name cannot be empty or hold %1 or %2.").arg("/").arg("\\")
        //: Under the name typed for a group, when it is refused.
        case "name taken": return qsTr("Another group has that name.")
        //: Under the name typed for a group, when it is refused.
        case "no members": return qsTr("No player is selected.")
        //: Under the name typed for a group, when it is refused.
        case "no such group": return qsTr("That group is gone.")
        }
        //: Under the name typed for a group, when the settings file cannot be written.
        return qsTr("The settings file cannot be written.")
    }

    // The name typed in the panel: a new group of the selected players, or
    // a group's new name.
    function nameConfirmed(name) {
        var result = nameInput.renaming >= 0 ? playerGroups.rename(nameInput.renaming, name)
                                             : playerGroups.saveSelection(name)
        if (result !== "done") {
            nameInput.refusal = main.refusalText(result)
            return
        }
        nameInput.close()
        playerList.restoreFocus()
    }

    // An entry of the player's screen: highlighted at once, then asked of
    // the player.
    function selectVideo(listIndex) {
        main.activeIndex = listIndex
        networkMessenger.quintavo(listIndex)
    }

    function scanNow() {
        networkMessenger.scanForClients()
        if (timer.running)
            timer.restart()
    }

    width: 400
    height: 700
    focus: true

    Keys.onPressed: {
        var handled = true
        switch (event.key) {
        case Qt.Key_F5: main.scanNow(); break
        case Qt.Key_Escape:
            if (updateInfo.visible)
                updateInfo.close()
            else if (main.state === "info")
                main.goBack()
            else // a menu closes, then the filter, then the selection
                handled = selectionBar.handleKey(event.key)
                    || playerList.handleKey(event.key, event.modifiers, event.text)
            break
        case Qt.Key_Backspace:
            if (main.state === "info")
                main.goBack()
            else
                handled = playerList.handleKey(event.key, event.modifiers, event.text)
            break
        default:
            if (main.state === "info")
                handled = playerScreen.handleKey(event.key)
            else
                handled = selectionBar.handleKey(event.key)
                    || playerList.handleKey(event.key, event.modifiers, event.text)
        }
        if (handled)
            main.keyboardUsed = true
        event.accepted = handled
    }

    // Any press of the pointer hides the focus frame; the press itself goes
    // on to what lies below.
    MouseArea {
        z: 1000
        anchors.fill: parent
        onPressed: {
            main.keyboardUsed = false
            mouse.accepted = false
        }
    }

    Image {
        id: background
        anchors.fill: parent
        source: "qrc:///background.png"
        fillMode: Image.Stretch
    }

    Text {
        id: versionString
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        anchors.margins: 5
        //: The version label in a corner of the window; %1 is the version, such as 0.9.2.
        text: qsTr("v%1").arg(applicationVersion)
        font.pointSize: Theme.detailSize
        font.family: Theme.fontFamily
        color: main.fontColor
    }

    // The hub scans once by itself at start; the scene scans every
    // scanInterval ms while the player list is shown.
    Timer {
        id: timer
        objectName: "timer"
        interval: main.scanInterval
        repeat: true
        running: true
        onTriggered: networkMessenger.scanForClients()
    }

    UpdateNotice {
        id: updateInfo
        objectName: "updateInfo"
        z: 100
        anchors.centerIn: parent
        width: main.width - main.width / 4
        height: main.height - main.height / 2
    }

    HeaderBar {
        id: buttonBar
        objectName: "buttonBar"
        x: 0
        y: 0
        width: main.width
        height: main.height * main.buttonBarHeight
        fontColor: main.fontColor
        backShown: main.state === "info"
        // Bound here rather than set by the "info" state: a binding that a
        // state sets takes effect only when the state's transition ends. On
        // the list, the text typed to find players. The active player is
        // null until the first player is opened.
        title: main.state === "info" ? (networkMessenger.activeClient ? networkMessenger.activeClient.hostname : "")
            //: In the header over the list while typing finds players; %1 is the text typed.
            : playerFilter.text !== "" ? qsTr("Find: %1").arg(playerFilter.text) : ""
        subtitle: main.state === "info" && networkMessenger.activeClient ? networkMessenger.activeClient.ipaddress : ""
        onBackClicked: main.goBack()
    }

    Rectangle {
        id: mainView
        objectName: "mainView"
        anchors.top: buttonBar.bottom
        anchors.topMargin: main.listSpacing
        anchors.bottom: parent.bottom
        width: main.width
        color: main.backgroundColor

        PlayerList {
            id: playerList
            anchors.fill: parent
            directory: playerFilter
            selectedCount: playerDirectory.selectedCount
            groups: playerGroups
            rowHeight: main.height * main.clientHeight
            spacing: main.listSpacing
            fontColor: main.fontColor
            showFocus: main.keyboardUsed
            takenHubPort: main.takenHubPort
            bottomReserve: selectionBar.visible ? selectionBar.height : 0
            onOpened: main.openPlayer(row)
            onRenameGroup: {
                nameInput.renaming = row
                //: Over the name typed for a group that is renamed; %1 is its name now.
                nameInput.open(qsTr("Rename the group %1").arg(name), name)
            }
        }

        SelectionBar {
            id: selectionBar
            objectName: "selectionBar"
            z: 3
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            selectedCount: playerDirectory.selectedCount
            play: selectionPlay
            filter: playerFilter
            rowHeight: main.height * main.clientHeight
            fontColor: main.fontColor
            showFocus: main.keyboardUsed
            onFocusReturned: playerList.restoreFocus()
            // Forget or Clear pressed from the keyboard: the focus goes back
            // to the list rather than nowhere.
            onVisibleChanged: if (!visible && main.state === "" && !nameInput.visible) playerList.restoreFocus()
            onSaveRequested: {
                nameInput.renaming = -1
                //: Over the name typed for a new group of the selected players.
                nameInput.open(qsTr("Name the group of these players"), "")
            }
        }

        NameInput {
            id: nameInput
            objectName: "nameInputPanel"
            // The group renamed, or -1 for a new one.
            property int renaming: -1
            z: 4
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            fontColor: main.fontColor
            onConfirmed: main.nameConfirmed(name)
            onCancelled: {
                nameInput.close()
                playerList.restoreFocus()
            }
        }
    }

    Rectangle {
        id: clientView
        objectName: "clientView"
        anchors.top: buttonBar.bottom
        anchors.bottom: parent.bottom
        width: main.width
        color: main.backgroundColor
        visible: false
        opacity: 0

        PlayerScreen {
            id: playerScreen
            anchors.fill: parent
            videos: playlist
            activeIndex: main.activeIndex
            rowHeight: main.height * main.clientHeight
            spacing: main.listSpacing
            fontColor: main.fontColor
            showFocus: main.keyboardUsed
            onChosen: main.selectVideo(listIndex)
        }
    }

    // The player's answers: what it plays is the active entry.
    Connections {
        target: playlist
        function onAnswered() { main.activeIndex = playlist.activeIndex }
    }

    // With the selection gone, the outcomes of its latest switch go too.
    Connections {
        target: playerDirectory
        function onSelectionChanged() {
            if (playerDirectory.selectedCount === 0)
                selectionPlay.dismiss()
        }
    }

    Connections {
        target: networkMessenger
        function onNewUpdate(version, description, url, showMessage) {
            updateInfo.showUpdate(version, description, url, showMessage)
        }
    }

    states: State {
        name: "info"
        PropertyChanges { target: mainView; visible: false; opacity: 0 }
        PropertyChanges { target: clientView; visible: true; opacity: 1 }
        PropertyChanges { target: timer; running: false }
    }

    // Visibility switches at once; the screen entered fades in.
    transitions: [
        Transition {
            from: ""
            to: "info"
            NumberAnimation { properties: "opacity"; duration: 100; easing.type: Easing.Linear }
        },
        Transition {
            from: "info"
            to: ""
            NumberAnimation { properties: "opacity"; duration: 100; easing.type: Easing.Linear }
        }
    ]
}
