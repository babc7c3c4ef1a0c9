import QtQuick 2.0
import QtQuick.Window 2.1

Rectangle {
    id: main
    width: 400
    height: 700
    color: "black"

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
        color: "white"
        font.pointSize: 8
        font.family: "arial"
    }
}
