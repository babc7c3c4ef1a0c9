import QtQuick 2.0

// A full-width list entry with two centred lines of text. Whoever places it
// sets its height and tells it what it needs: the text colour, the index of
// the active entry (the active look shows where it equals listIndex and
// toggle is on), whether the keyboard is in use (the focus frame shows only
// then), whether to dim it, and whether it is available: one that is not
// shows the disabled look and takes no taps. The held and the active looks
// follow the mouse and activeIndex. An entry with a menu asks for it on a
// right click or a long press (menuRequested), and tells a click with Ctrl
// or Shift held (modifiedClick); others take a long press as a tap. A selected entry shows a ticked box at its left on a
// green fill: nothing else looks so.
Item {
    id: buttonContainer

    property string line1: ""
    property string line2: ""
    property bool toggle: false
    property int listIndex: -1
    property int activeIndex: -1
    property color fontColor: Theme.text
    property bool showFocus: false
    // Faded, but it still takes taps: a player that missed a scan may still
    // take commands.
    property bool dimmed: false
    property bool available: true
    property bool hasMenu: false
    property bool selected: false

    signal clicked
    signal menuRequested
    // A click with these keyboard modifiers held (Ctrl, Shift).
    signal modifiedClick(int modifiers)

    // What a tap does, for keys and screen readers.
    function press() {
        if (available)
            clicked()
    }

    width: parent ? parent.width : 0

    Accessible.role: Accessible.Button
    Accessible.name: line2 !== "" ? line1 + ", " + line2 : line1
    Accessible.focusable: true
    Accessible.onPressAction: press()

    Rectangle {
        id: buttonChrome
        objectName: "chrome"

        // Black on the active look. Decided here rather than by the state:
        // a binding that a state restores comes back only when the state's
        // transition ends, so the text would lag 100 ms behind the fill.
        property color textColor: state === "active" ? Theme.activeText : buttonContainer.fontColor
        // Centred texts keep clear of the selected look's box on both sides.
        readonly property real markRoom: buttonContainer.selected ? 2 * (Math.min(height * 0.4, 28) + 4) : 0

        anchors.fill: parent
        color: buttonContainer.selected ? Theme.selectedFill : Theme.entryFill
        border.width: buttonContainer.selected ? Theme.selectedOutlineWidth : Theme.outlineWidth
        border.color: Theme.outline
        radius: Theme.entryRadius
        smooth: true
        opacity: buttonContainer.dimmed ? Theme.dimmedOpacity : 1

        Glossy {
        }

        // The selected look's box, ticked.
        Rectangle {
            objectName: "selectedMark"
            visible: buttonContainer.selected
            anchors.verticalCenter: parent.verticalCenter
            x: buttonChrome.radius
            width: Math.min(parent.height * 0.4, 28)
            height: width
            radius: Theme.markRadius
            color: Theme.selectedMark

            Rectangle {
                x: parent.width * 0.18
                y: parent.height * 0.5
                width: parent.width * 0.32
                height: parent.height * 0.14
                color: Theme.selectedFill
                rotation: 45
                transformOrigin: Item.Left
            }
            Rectangle {
                x: parent.width * 0.36
                y: parent.height * 0.74
                width: parent.width * 0.6
                height: parent.height * 0.14
                color: Theme.selectedFill
                rotation: -50
                transformOrigin: Item.Left
            }
        }

        Column {
            anchors.centerIn: parent

            // Entries show what players send: names, addresses, descriptions.
            // Plain text, so that no markup in them is rendered or fetched,
            // and cut short inside the outline when too long for it.
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, buttonChrome.width - 2 * buttonChrome.radius - buttonChrome.markRoom)
                elide: Text.ElideRight
                text: buttonContainer.line1
                textFormat: Text.PlainText
                font.family: Theme.fontFamily
                font.pointSize: Theme.titleSize
                color: buttonChrome.textColor
            }

            // Keeps the height of one line when empty, so a one-line entry's
            // first line sits where it sits on a two-line entry.
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, buttonChrome.width - 2 * buttonChrome.radius - buttonChrome.markRoom)
                elide: Text.ElideRight
                text: buttonContainer.line2
                textFormat: Text.PlainText
                font.family: Theme.fontFamily
                font.pointSize: Theme.detailSize
                color: buttonChrome.textColor
            }
        }

        MouseArea {
            id: mouseArea
            anchors.fill: parent
            enabled: !buttonContainer.hasMenu && buttonContainer.available
            onClicked: buttonContainer.clicked()
        }

        // Apart from the one above: a MouseArea that handles a long press
        // sends no click after one.
        MouseArea {
            id: menuArea
            anchors.fill: parent
            enabled: buttonContainer.hasMenu && buttonContainer.available
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            onClicked: {
                if (mouse.button === Qt.RightButton)
                    buttonContainer.menuRequested()
                else if (mouse.modifiers & (Qt.ControlModifier | Qt.ShiftModifier))
                    buttonContainer.modifiedClick(mouse.modifiers)
                else
                    buttonContainer.clicked()
            }
            onPressAndHold: buttonContainer.menuRequested()
        }

        // The first state whose condition holds wins: a held button shows the
        // base colours, a disabled one never shows the active look. The
        // changes take the theme's values once (explicit), as values rather
        // than bindings: a state applies a binding only when its transition
        // ends, 100 ms late.
        states: [
            State {
                name: "pressed"
                when: mouseArea.pressed || menuArea.pressed
                PropertyChanges { explicit: true; target: buttonContainer; scale: Theme.pressedScale }
            },
            State {
                name: "disabled"
                when: !buttonContainer.available
                PropertyChanges { explicit: true; target: buttonChrome; color: Theme.disabledFill; opacity: Theme.disabledOpacity }
            },
            State {
                name: "active"
                when: buttonContainer.activeIndex === buttonContainer.listIndex && buttonContainer.toggle
                PropertyChanges { explicit: true; target: buttonChrome; color: Theme.activeFill }
            }
        ]

        transitions: Transition {
            NumberAnimation { properties: "scale"; duration: 100; easing.type: Easing.InOutQuad }
        }
    }

    // Inside the outline, so that it covers no neighbour.
    Rectangle {
        objectName: "focusFrame"
        anchors.fill: parent
        anchors.margins: 4
        visible: buttonContainer.activeFocus && buttonContainer.showFocus
        color: Theme.noFill
        border.width: Theme.focusFrameWidth
        border.color: Theme.focusFrame
        radius: buttonChrome.radius - anchors.margins / 2
    }
}
