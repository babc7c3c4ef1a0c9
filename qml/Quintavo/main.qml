import QtQuick 2.7
import QtQuick.Window 2.1

// The whole scene: the player list (base state) and one player's videos
// ("info"), under a shared header bar, with the update notice on top.
// Sizes are fractions of the root, which the window sizes to itself.
// Elements carry their id as objectName so that tests can find them.
// Keys: Up, Down, Page Up and Page Down move the keyboard focus through the
// rows or entries; Return, Enter and Space do what a tap on the focused one
// does; Escape and Backspace go back; Escape closes the update notice first;
// F5 scans at once.
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

    // A text property of a player object, or "" when there is no player (the
    // active one is null until the first query) or no such text.
    function textOf(player, name) {
        var value = player ? player[name] : undefined
        return typeof value === "string" ? value : ""
    }

    // Tap on any entry of the player screen: highlight it at once, then ask
    // the player to switch to it.
    function selectVideo(listIndex) {
        main.activeIndex = listIndex
        networkMessenger.quintavo(listIndex)
    }

    // Tap on a player's row. The player screen starts empty: the videos of a
    // player opened before must not stand where a tap would send their index
    // to this one. Back returns to the row.
    function openPlayer(row, player) {
        deviceList.currentIndex = row
        main.activeIndex = -1
        videoList.model = []
        networkMessenger.queryClient(main.textOf(player, "ipaddress"))
        main.state = "info"
        defaultVideo.forceActiveFocus()
    }

    function goBack() {
        main.state = ""
        deviceList.forceActiveFocus()
    }

    function scanNow() {
        networkMessenger.scanForClients()
        if (timer.running)
            timer.restart()
    }

    // Moves the keyboard focus by `step` rows, or entries ("Default" is entry
    // 0, video k entry k), stopping at either end, and scrolls it into view.
    function moveFocus(step) {
        var to
        if (main.state === "info") {
            to = Math.max(0, Math.min(videoList.count, (videoList.activeFocus ? videoList.currentIndex + 1 : 0) + step))
            if (to === 0) {
                defaultVideo.forceActiveFocus()
                return
            }
            videoList.currentIndex = to - 1
            videoList.positionViewAtIndex(to - 1, ListView.Contain)
            videoList.forceActiveFocus()
        } else if (deviceList.count > 0) {
            to = Math.max(0, Math.min(deviceList.count - 1, deviceList.currentIndex + step))
            deviceList.currentIndex = to
            deviceList.positionViewAtIndex(to, ListView.Contain)
            deviceList.forceActiveFocus()
        }
    }

    // The rows one screen of the current list holds.
    function pageStep() {
        var list = main.state === "info" ? videoList : deviceList
        return Math.max(1, Math.floor(list.height / (main.height * main.clientHeight + main.listSpacing)))
    }

    // What a tap on the focused row or entry does.
    function chooseFocused() {
        var entry = main.state !== "info" ? deviceList.currentItem
                  : videoList.activeFocus ? videoList.currentItem : defaultVideo
        if (entry)
            entry.press()
    }

    // The text of rich text as a screen reader should read it: no tags, the
    // common entities decoded, line breaks as spaces.
    function plainText(html) {
        var entities = { amp: "&", lt: "<", gt: ">", quot: "\"", apos: "'", nbsp: " " }
        return html.replace(/<br\s*\/?>|<\/p>|<\/div>|<\/li>/gi, " ")
            .replace(/<[^>]*>/g, "")
            .replace(/&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi, function (entity, name) {
                if (name.charAt(0) === "#") {
                    var code = name.charAt(1).toLowerCase() === "x" ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10)
                    return code > 0 && code <= 0x10ffff ? String.fromCodePoint(code) : entity
                }
                return entities.hasOwnProperty(name.toLowerCase()) ? entities[name.toLowerCase()] : entity
            })
            .replace(/\s+/g, " ").trim()
    }

    width: 400
    height: 700
    focus: true

    Keys.onPressed: {
        var handled = true
        switch (event.key) {
        case Qt.Key_Down: main.moveFocus(1); break
        case Qt.Key_Up: main.moveFocus(-1); break
        case Qt.Key_PageDown: main.moveFocus(main.pageStep()); break
        case Qt.Key_PageUp: main.moveFocus(-main.pageStep()); break
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space: main.chooseFocused(); break
        case Qt.Key_F5: main.scanNow(); break
        case Qt.Key_Escape:
            if (updateInfo.visible)
                updateInfo.state = "hidden"
            else if (main.state === "info")
                main.goBack()
            else
                handled = false
            break
        case Qt.Key_Backspace:
            if (main.state === "info")
                main.goBack()
            else
                handled = false
            break
        default: handled = false
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
        text: "v" + applicationVersion
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

    Rectangle {
        id: updateInfo
        objectName: "updateInfo"

        property string description: ""

        function showUpdate(newVersion, newDescription, newUrl, showMessage) {
            description = newDescription
            if (showMessage)
                state = "shown"
        }

        // The notice arrives over plain HTTP: only web links leave the
        // program, since file: or custom-scheme links could start programs.
        function openLink(link) {
            if (/^https?:/i.test(link))
                Qt.openUrlExternally(link)
        }

        z: 100
        anchors.centerIn: parent
        width: main.width - main.width / 4
        height: main.height - main.height / 2
        color: "white"
        radius: 10
        visible: false
        Accessible.role: Accessible.AlertMessage
        Accessible.name: main.plainText(description)

        // Takes presses only on links; any other press reaches the area below.
        Text {
            objectName: "updateText"
            z: 20
            anchors.fill: parent
            anchors.margins: 20
            text: updateInfo.description
            textFormat: Text.RichText
            wrapMode: Text.WordWrap
            onLinkActivated: updateInfo.openLink(link)
            // The notice reads its text without the markup.
            Accessible.ignored: true
        }

        MouseArea {
            z: 10
            anchors.fill: parent
            onClicked: updateInfo.state = "hidden"
        }

        states: [
            State {
                name: "shown"
                PropertyChanges { target: updateInfo; visible: true }
            },
            State {
                name: "hidden"
                PropertyChanges { target: updateInfo; visible: false }
            }
        ]

        Component.onCompleted: networkMessenger.newUpdate.connect(showUpdate)
    }

    Rectangle {
        id: buttonBar
        objectName: "buttonBar"
        x: 0
        y: 0
        width: main.width
        height: main.height * main.buttonBarHeight
        color: "#8088a4"

        Rectangle {
            objectName: "logo"
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.right: parent.right
            width: height
            border.width: 1
            border.color: "white"

            Image {
                anchors.fill: parent
                source: "qrc:///siglogo.gif"
            }
        }

        Rectangle {
            id: backButton
            objectName: "backButton"
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            width: height
            color: "#ffffff"
            // Transparent from the start: the main screen is shown first, and
            // the state below would otherwise fade it out from opaque.
            opacity: 0
            Accessible.role: Accessible.Button
            Accessible.name: "Back"
            Accessible.ignored: main.state !== "info"
            Accessible.onPressAction: main.goBack()

            Text {
                anchors.centerIn: parent
                text: "Back"
            }

            // Also takes taps while transparent; on the main screen that
            // changes nothing.
            MouseArea {
                anchors.fill: parent
                onClicked: main.goBack()
            }

            states: [
                State {
                    name: "enabled"
                    when: main.state === "info"
                    PropertyChanges { target: backButton; opacity: 1 }
                },
                State {
                    name: "disabled"
                    when: main.state !== "info"
                    PropertyChanges { target: backButton; opacity: 0 }
                }
            ]

            transitions: Transition {
                NumberAnimation { properties: "opacity"; duration: 100; easing.type: Easing.Linear }
            }
        }

        // The active player's name and address while its screen is shown, as
        // plain text: they come from the player. Cut short between the Back
        // button and the logo when too long. Bound here rather than set by
        // the "info" state: a binding that a state sets takes effect only when
        // the state's transition ends.
        Column {
            id: title

            readonly property real room: buttonBar.width - 2 * buttonBar.height - 2 * main.listSpacing

            anchors.centerIn: parent

            Text {
                id: hostname
                objectName: "hostname"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, title.room)
                elide: Text.ElideRight
                text: main.state === "info" ? main.textOf(networkMessenger.activeClient, "hostname") : ""
                textFormat: Text.PlainText
                font.pointSize: 16
                font.family: "arial"
                color: main.fontColor
            }

            Text {
                id: ipaddress
                objectName: "ipaddress"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, title.room)
                elide: Text.ElideRight
                text: main.state === "info" ? main.textOf(networkMessenger.activeClient, "ipaddress") : ""
                textFormat: Text.PlainText
                font.pointSize: 8
                font.family: "arial"
                color: main.fontColor
            }
        }
    }

    Rectangle {
        id: mainView
        objectName: "mainView"
        anchors.top: buttonBar.bottom
        anchors.topMargin: main.listSpacing
        anchors.bottom: parent.bottom
        width: main.width
        color: main.backgroundColor

        ListView {
            id: deviceList
            objectName: "deviceList"

            // Follows the hub's list. Players answer a scan all at once and the
            // hub announces each one: the list is re-read once for the
            // announcements of one turn of the event loop, before the next
            // frame, and only the rows whose player changed are touched, so a
            // scan of many players does not rebuild every row many times.
            function readPlayers() {
                var list = networkMessenger.clients
                for (var i = 0; i < list.length; ++i) {
                    if (i === players.count)
                        players.append({ player: list[i] })
                    else if (players.get(i).player !== list[i])
                        players.set(i, { player: list[i] })
                }
                if (players.count > list.length)
                    players.remove(list.length, players.count - list.length)
            }

            Connections {
                target: networkMessenger
                function onClientsUpdated() { Qt.callLater(deviceList.readPlayers) }
            }

            anchors.fill: parent
            spacing: 2
            keyNavigationEnabled: false // the scene's keys move the focus
            model: ListModel { id: players }
            Component.onCompleted: readPlayers()

            delegate: Button {
                line1: main.textOf(player, "hostname")
                line2: main.textOf(player, "ipaddress")
                onClicked: main.openPlayer(index, player)
            }
        }

        Column {
            id: errorLabel
            objectName: "errorLabel"
            anchors.fill: parent
            visible: false

            // Named for screen readers explicitly: a Text is offered to them
            // by itself only when one already listens as the scene loads.
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "No Players Found"
                font.pointSize: 16
                color: main.fontColor
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Please make sure you are connected to the same<br/>network as the Media Players"
                font.pointSize: 8
                color: main.fontColor
                Accessible.role: Accessible.StaticText
                Accessible.name: main.plainText(text)
            }

            Text {
                objectName: "portNotice"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, parent.width - 2 * main.listSpacing)
                visible: main.takenHubPort > 0
                text: main.takenHubPort > 0 ? "Port " + main.takenHubPort + " is in use by another program; players cannot register." : ""
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                font.pointSize: 8
                color: main.fontColor
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            states: State {
                name: "visible"
                when: deviceList.count === 0
                PropertyChanges { target: errorLabel; visible: true }
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

        Button {
            id: defaultVideo
            objectName: "defaultVideo"
            anchors.top: parent.top
            anchors.topMargin: main.listSpacing
            line1: "Default"
            line2: ""
            listIndex: 0
            toggle: true
            onClicked: main.selectVideo(listIndex)
            Accessible.name: main.activeIndex === listIndex ? "Default, playing" : "Default"
        }

        ListView {
            id: videoList
            objectName: "videoList"

            // Replaces the list with a player's answer. The answer comes from
            // the network: anything but a numeric "activeIndex" leaves the
            // screen as it is, and a "quintavo" that is not an array empties
            // the list.
            function updateModel(model) {
                if (!model || typeof model.activeIndex !== "number" || !isFinite(model.activeIndex))
                    return
                main.activeIndex = model.activeIndex
                videoList.model = Array.isArray(model.quintavo) ? model.quintavo : []
            }

            // A duration the entry can show: a finite count of seconds whose
            // minutes fit the integer property.
            function knownDuration(value) {
                return typeof value === "number" && value >= 0 && value / 60 < 2147483648
            }

            // "1 minute 5 seconds", for screen readers.
            function spokenDuration(minutes, seconds) {
                return minutes + (minutes === 1 ? " minute " : " minutes ") + seconds + (seconds === 1 ? " second" : " seconds")
            }

            // One connection for the scene's lifetime, however often the
            // player list rebuilds its rows.
            Connections {
                target: networkMessenger
                function onActiveClientChanged(json) { videoList.updateModel(json) }
            }

            anchors.top: defaultVideo.bottom
            anchors.topMargin: main.listSpacing
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: main.listSpacing
            keyNavigationEnabled: false // the scene's keys move the focus

            delegate: Button {
                id: video

                readonly property var entry: modelData !== null && typeof modelData === "object" ? modelData : ({})
                readonly property bool durationKnown: videoList.knownDuration(entry.duration)
                property int minutes: durationKnown ? Math.floor(entry.duration / 60) : 0
                // Rounded on its own: 119.6 s shows as 1 minutes 60 seconds.
                property int seconds: durationKnown ? Math.round(entry.duration % 60) : 0

                listIndex: index + 1
                toggle: true
                state: entry.exists === true ? "" : "disabled"
                line1: typeof entry.description === "string" && entry.description !== "" ? entry.description : "Video " + listIndex
                line2: durationKnown ? "Duration: " + minutes + " minutes " + seconds + " seconds" : "Duration: unknown"

                onClicked: main.selectVideo(listIndex)
                Accessible.name: [line1, durationKnown ? videoList.spokenDuration(minutes, seconds) : "duration unknown"]
                    .concat(main.activeIndex === listIndex ? ["playing"] : [])
                    .concat(state === "disabled" ? ["not available"] : []).join(", ")
            }
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
