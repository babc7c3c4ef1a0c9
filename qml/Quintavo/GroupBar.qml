import QtQuick 2.7

// The groups of players, as buttons above the list (none while there is no
// group): a tap on one selects its members; a right click or a long press
// opens its menu, "Rename" and "Delete". Names are the user's text, shown as
// plain text. A press outside the open menu closes it.
Item {
    id: bar

    // The groups (a list model of name and members, with select, rename and
    // remove).
    property var groups: null
    property color fontColor: Theme.text
    property bool showFocus: false
    // The group whose menu is open, or -1.
    property int menuRow: -1
    // How far down from its top its menu may cover: a press there, outside
    // the menu, closes it.
    property real reach: height

    // The user asks to rename the group at that row, now named name.
    signal renameRequested(int row, string name)

    // Escape closes the menu; every key goes to it while it is open. True
    // when the key was taken.
    function handleKey(key) {
        if (menuRow < 0)
            return false
        if (key === Qt.Key_Escape || key === Qt.Key_Menu)
            menuRow = -1
        return true
    }

    height: groups && groups.count > 0 ? flow.implicitHeight + 8 : 0
    visible: height > 0

    Flow {
        id: flow
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 4
        spacing: 6

        Repeater {
            model: bar.groups

            Rectangle {
                id: groupButton
                objectName: "group-" + model.name
                width: Math.min(label.implicitWidth + 24, flow.width)
                height: label.implicitHeight + 14
                radius: height / 2
                color: area.pressed || bar.menuRow === index ? Theme.pressedFill : Theme.panelFill
                border.width: Theme.outlineWidth
                border.color: Theme.outline
                Accessible.role: Accessible.Button
                //: A group's button above the list of players, for screen readers; %1 is its name.
                Accessible.name: qsTr("Group %1").arg(model.name)
                Accessible.onPressAction: bar.groups.select(index)

                Text {
                    id: label
                    anchors.centerIn: parent
                    width: Math.min(implicitWidth, flow.width - 24)
                    elide: Text.ElideRight
                    text: model.name
                    textFormat: Text.PlainText
                    font.pointSize: Theme.labelSize
                    color: bar.fontColor
                }

                MouseArea {
                    id: area
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onClicked: {
                        if (mouse.button === Qt.RightButton)
                            bar.menuRow = index
                        else
                            bar.groups.select(index)
                    }
                    onPressAndHold: bar.menuRow = index
                }
            }
        }
    }

    MouseArea {
        width: bar.width
        height: bar.reach
        visible: bar.menuRow >= 0
        acceptedButtons: Qt.AllButtons
        onPressed: bar.menuRow = -1
    }

    // The menu of a group, under the groups, over the list.
    Row {
        objectName: "groupMenu"
        z: 3
        anchors.top: parent.bottom
        anchors.right: parent.right
        anchors.rightMargin: 8
        spacing: 4
        visible: bar.menuRow >= 0
        Accessible.role: Accessible.PopupMenu

        Repeater {
            //: In a group's menu: gives the group another name.
            model: [qsTr("Rename"),
                //: In a group's menu: deletes the group; its players stay listed.
                qsTr("Delete")]

            Rectangle {
                objectName: index === 0 ? "renameGroup" : "deleteGroup"
                width: choice.implicitWidth + 28
                height: choice.implicitHeight + 16
                radius: Theme.buttonRadius
                color: Theme.panelFill
                border.width: Theme.outlineWidth
                border.color: Theme.outline
                Accessible.role: Accessible.MenuItem
                Accessible.name: modelData
                Accessible.onPressAction: choose()

                function choose() {
                    var row = bar.menuRow
                    bar.menuRow = -1
                    if (index === 0)
                        bar.renameRequested(row, bar.groups.nameAt(row))
                    else
                        bar.groups.remove(row)
                }

                Text {
                    id: choice
                    anchors.centerIn: parent
                    text: modelData
                    font.pointSize: Theme.labelSize
                    color: bar.fontColor
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: parent.choose()
                }
            }
        }
    }
}
