import QtQuick 2.7
import QtQuick.Window 2.1

// The whole scene: the list of players (base state) and one player's screen
// ("info"), under a shared header bar, with the update notice on top. Sizes
// are fractions of the root, which the window sizes to itself. It reaches the
// native side through `networkMessenger` (the hub), `playerDirectory` (the
// players to list) and `playlist` (the open player's videos); the parts it
// places get what they need as properties.
// Keys: Up, Down, Page Up and Page Down move the keyboard focus through the
// rows or entries; Return, Enter and Space do what a tap on the focused one
// does; Escape and Backspace go back; Escape closes the update notice first;
// F5 scans at once; on the list, Delete forgets the focused player and Menu
// opens its row's menu.
Rectangle {
    id: main

    property string backgroundColor: "transparent"
    property string fontColor: "white"
    property real buttonBarHeight: 1 / 10
    property real clientHeight: 1 / 10
    property int activeIndex: -1
    property int listSpacing: 2
    // The hub port another program holds, so that no player can register; 0
    // while the hub listens. Set by start-up.
    property int takenHubPort: 0
    // Whether the focus frame shows: from the first key until the next press
    // of the pointer, so that the scene looks to pointer users as it always has.
    property bool keyboardUsed: false

    // A row of the list: its player's screen, empty until the player answers.
    function openPlayer(row) {
        main.activeIndex = -1
        playerDirectory.open(row)
        main.state = "info"
        playerScreen.focusDefault()
    }

    // Back to the list, to the row of the player that was open, wherever it
    // stands now.
    function goBack() {
        main.state = ""
        playerList.focusRow(playerDirectory.openedRow())
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
            else
                handled = playerList.handleKey(event.key) // a row's menu closes
            break
        case Qt.Key_Backspace:
            if (main.state === "info")
                main.goBack()
            else
                handled = playerList.handleKey(event.key)
            break
        default:
            handled = (main.state === "info" ? playerScreen : playerList).handleKey(event.key)
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
        font.pointSize: 8
        font.family: "arial"
        color: main.fontColor
    }

    // The hub scans once by itself at start; the scene scans every 10 s while
    // the player list is shown.
    Timer {
        id: timer
        objectName: "timer"
        interval: 10000
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
        // state sets takes effect only when the state's transition ends.
        // The active player is null until the first player is opened.
        title: main.state === "info" && networkMessenger.activeClient ? networkMessenger.activeClient.hostname : ""
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
            directory: playerDirectory
            rowHeight: main.height * main.clientHeight
            spacing: main.listSpacing
            fontColor: main.fontColor
            showFocus: main.keyboardUsed
            takenHubPort: main.takenHubPort
            onOpened: main.openPlayer(row)
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
