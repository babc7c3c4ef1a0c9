import QtQuick 2.0

// The update service's notice: a white panel with its text, which is rich
// text and may hold links. A tap on a link opens it, any other tap on the
// panel closes it. The hub hands over the notice with web links only, and
// nothing that loads. Shown by showUpdate.
Rectangle {
    id: notice

    property string description: ""

    function showUpdate(newVersion, newDescription, newUrl, showMessage) {
        description = newDescription
        if (showMessage)
            state = "shown"
    }

    function close() {
        state = "hidden"
    }

    color: Theme.noticeFill
    radius: Theme.entryRadius
    visible: false
    Accessible.role: Accessible.AlertMessage
    // Screen readers hear the text without its markup, as the rich-text
    // document that draws it reads it.
    Accessible.name: plain.text, plain.getText(0, plain.length).replace(/\s+/g, " ").trim()

    TextEdit {
        id: plain
        visible: false
        textFormat: TextEdit.RichText
        text: notice.description
    }

    // Takes presses only on links; any other press reaches the area below.
    Text {
        objectName: "updateText"
        z: 20
        anchors.fill: parent
        anchors.margins: 20
        text: notice.description
        textFormat: Text.RichText
        wrapMode: Text.WordWrap
        onLinkActivated: Qt.openUrlExternally(link)
        // The notice reads its text without the markup.
        Accessible.ignored: true
    }

    MouseArea {
        z: 10
        anchors.fill: parent
        onClicked: notice.close()
    }

    states: [
        State {
            name: "shown"
            PropertyChanges { target: notice; visible: true }
        },
        State {
            name: "hidden"
            PropertyChanges { target: notice; visible: false }
        }
    ]
}
