import QtQuick 2.7

// A small panel to type a name in: a group's, to save the selected players
// as a group or to rename one. The name is the user's text, taken as typed.
// Return saves, Escape cancels; a refusal says why, and the panel stays.
Rectangle {
    id: panel

    property color fontColor: Theme.text
    // What the panel asks for, and why the last name was refused ("" when
    // it was not).
    property string prompt: ""
    property string refusal: ""
    readonly property alias text: input.text

    // The user confirmed the name; cancelled.
    signal confirmed(string name)
    signal cancelled

    function open(title, name) {
        prompt = title
        refusal = ""
        input.text = name
        input.selectAll()
        visible = true
        input.forceActiveFocus()
    }

    function close() {
        visible = false
        refusal = ""
    }

    visible: false
    height: content.height + 16
    color: Theme.namePanelFill
    border.width: Theme.outlineWidth
    border.color: Theme.outline
    Accessible.role: Accessible.Dialog
    Accessible.name: prompt

    // A press on the panel goes to nothing beneath it.
    MouseArea {
        anchors.fill: parent
    }

    Column {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.margins: 8
        spacing: 6

        Text {
            text: panel.prompt
            font.pointSize: Theme.labelSize
            color: panel.fontColor
        }

        Rectangle {
            width: parent.width
            height: input.implicitHeight + 10
            color: Theme.inputFill
            radius: Theme.inputRadius

            TextInput {
                id: input
                objectName: "nameInput"
                anchors.fill: parent
                anchors.margins: 5
                font.pointSize: Theme.inputSize
                color: Theme.inputText
                clip: true
                maximumLength: 100
                Accessible.role: Accessible.EditableText
                Accessible.name: panel.prompt
                Keys.onPressed: {
                    if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        panel.confirmed(input.text)
                        event.accepted = true
                    } else if (event.key === Qt.Key_Escape) {
                        panel.cancelled()
                        event.accepted = true
                    }
                }
            }
        }

        Text {
            objectName: "nameRefusal"
            width: parent.width
            visible: text !== ""
            text: panel.refusal
            wrapMode: Text.Wrap
            font.pointSize: Theme.messageSize
            color: Theme.refusalText
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }

        Row {
            anchors.right: parent.right
            spacing: 6

            Repeater {
                //: Saves the name typed for a group.
                model: [qsTr("Save"),
                    //: Closes the panel for a group's name without saving.
                    qsTr("Cancel")]

                Rectangle {
                    objectName: index === 0 ? "saveName" : "cancelName"
                    width: label.implicitWidth + 20
                    height: label.implicitHeight + 12
                    radius: Theme.buttonRadius
                    color: area.pressed ? Theme.pressedFill : Theme.darkButtonFill
                    border.width: Theme.outlineWidth
                    border.color: Theme.outline
                    Accessible.role: Accessible.Button
                    Accessible.name: modelData
                    Accessible.onPressAction: press()

                    function press() {
                        if (index === 0)
                            panel.confirmed(input.text)
                        else
                            panel.cancelled()
                    }

                    Text {
                        id: label
                        anchors.centerIn: parent
                        text: modelData
                        font.pointSize: Theme.labelSize
                        color: panel.fontColor
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
}
