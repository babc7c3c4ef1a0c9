import QtQuick 2.0

// The bar over both screens: the logo at the right, the Back button at the
// left while a player's screen is shown, and between them that player's name
// and address, as plain text (they come from the player), cut short when
// too long.
Rectangle {
    id: bar

    // The player whose screen is shown; empty texts on the list of players.
    property string title: ""
    property string subtitle: ""
    property bool backShown: false
    property color fontColor: Theme.text

    signal backClicked

    color: Theme.headerFill

    Rectangle {
        objectName: "logo"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        width: height
        border.width: Theme.thinOutlineWidth
        border.color: Theme.outline

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
        color: Theme.backFill
        // Transparent from the start: the list of players is shown first,
        // and the state below would otherwise fade it out from opaque.
        opacity: 0
        Accessible.role: Accessible.Button
        Accessible.name: backLabel.text
        Accessible.ignored: !bar.backShown
        Accessible.onPressAction: bar.backClicked()

        Text {
            id: backLabel
            anchors.centerIn: parent
            text: qsTr("Back")
        }

        // Also takes taps while transparent; on the list that changes nothing.
        MouseArea {
            anchors.fill: parent
            onClicked: bar.backClicked()
        }

        states: [
            State {
                name: "enabled"
                when: bar.backShown
                PropertyChanges { target: backButton; opacity: 1 }
            },
            State {
                name: "disabled"
                when: !bar.backShown
                PropertyChanges { target: backButton; opacity: 0 }
            }
        ]

        transitions: Transition {
            NumberAnimation { properties: "opacity"; duration: 100; easing.type: Easing.Linear }
        }
    }

    Column {
        id: titles

        readonly property real room: bar.width - 2 * bar.height - 4

        anchors.centerIn: parent

        Text {
            objectName: "hostname"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, titles.room)
            elide: Text.ElideRight
            text: bar.title
            textFormat: Text.PlainText
            font.pointSize: Theme.titleSize
            font.family: Theme.fontFamily
            color: bar.fontColor
        }

        Text {
            objectName: "ipaddress"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, titles.room)
            elide: Text.ElideRight
            text: bar.subtitle
            textFormat: Text.PlainText
            font.pointSize: Theme.detailSize
            font.family: Theme.fontFamily
            color: bar.fontColor
        }
    }
}
