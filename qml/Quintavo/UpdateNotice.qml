import QtQuick 2.0

// The update service's notice: a white panel with its text, which is rich
// text and may hold links. A tap on a link opens it (web links only), any
// other tap on the panel closes it. Shown by showUpdate.
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

    // The notice arrives over plain HTTP: only web links leave the program,
    // since file: or custom-scheme links could start programs.
    function openLink(link) {
        if (/^https?:/i.test(link))
            Qt.openUrlExternally(link)
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

    color: "white"
    radius: 10
    visible: false
    Accessible.role: Accessible.AlertMessage
    Accessible.name: plainText(description)

    // Takes presses only on links; any other press reaches the area below.
    Text {
        objectName: "updateText"
        z: 20
        anchors.fill: parent
        anchors.margins: 20
        text: notice.description
        textFormat: Text.RichText
        wrapMode: Text.WordWrap
        onLinkActivated: notice.openLink(link)
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
