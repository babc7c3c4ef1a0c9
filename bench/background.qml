import QtQuick 2.0

// The reference scene of the start-up benchmark: a window showing the
// application's background picture and nothing else, the floor under which
// no scene that shows it can start.
Item {
    width: 400
    height: 700

    Image {
        anchors.fill: parent
        source: "qrc:///background.png"
        fillMode: Image.Stretch
    }
}
