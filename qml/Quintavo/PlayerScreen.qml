import QtQuick 2.7

// One player's screen: "Default" on top, then one entry per video of the
// player's last answer with its description and length. A tap, or Return on
// the focused entry, chooses an entry; the entry the scene takes as active
// shows the active look.
Item {
    id: screen

    // The open player's videos (a list model of description, minutes,
    // seconds, durationKnown and available).
    property var videos: null
    property int activeIndex: -1
    property real rowHeight: 70
    property int spacing: 2
    property color fontColor: "white"
    property bool showFocus: false

    // The user chose an entry: 0 is "Default", k the k-th video.
    signal chosen(int listIndex)

    // Up, Down, Page Up and Page Down move the keyboard focus through the
    // entries ("Default" is entry 0, video k entry k), stopping at either
    // end, and scroll it into view; Return, Enter and Space choose the
    // focused entry. True when the key was taken.
    function handleKey(key) {
        switch (key) {
        case Qt.Key_Down: moveFocus(1); return true
        case Qt.Key_Up: moveFocus(-1); return true
        case Qt.Key_PageDown: moveFocus(pageStep()); return true
        case Qt.Key_PageUp: moveFocus(-pageStep()); return true
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            var entry = videoList.activeFocus ? videoList.currentItem : defaultVideo
            if (entry)
                entry.press()
            return true
        }
        return false
    }

    function moveFocus(step) {
        var to = Math.max(0, Math.min(videoList.count, (videoList.activeFocus ? videoList.currentIndex + 1 : 0) + step))
        if (to === 0) {
            focusDefault()
            return
        }
        videoList.currentIndex = to - 1
        videoList.positionViewAtIndex(to - 1, ListView.Contain)
        videoList.forceActiveFocus()
    }

    function focusDefault() {
        defaultVideo.forceActiveFocus()
    }

    function pageStep() {
        return Math.max(1, Math.floor(videoList.height / (rowHeight + spacing)))
    }

    // "1 minute 5 seconds", for screen readers.
    function spokenDuration(minutes, seconds) {
        return minutes + (minutes === 1 ? " minute " : " minutes ") + seconds + (seconds === 1 ? " second" : " seconds")
    }

    Button {
        id: defaultVideo
        objectName: "defaultVideo"
        anchors.top: parent.top
        anchors.topMargin: screen.spacing
        height: screen.rowHeight
        line1: "Default"
        line2: ""
        listIndex: 0
        toggle: true
        activeIndex: screen.activeIndex
        fontColor: screen.fontColor
        showFocus: screen.showFocus
        onClicked: screen.chosen(listIndex)
        Accessible.name: screen.activeIndex === listIndex ? "Default, playing" : "Default"
    }

    ListView {
        id: videoList
        objectName: "videoList"
        anchors.top: defaultVideo.bottom
        anchors.topMargin: screen.spacing
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: screen.spacing
        keyNavigationEnabled: false // the keys above move the focus
        model: screen.videos

        delegate: Button {
            height: screen.rowHeight
            listIndex: index + 1
            toggle: true
            activeIndex: screen.activeIndex
            fontColor: screen.fontColor
            showFocus: screen.showFocus
            state: model.available ? "" : "disabled"
            line1: model.description || "Video " + listIndex
            line2: model.durationKnown ? "Duration: " + model.minutes + " minutes " + model.seconds + " seconds" : "Duration: unknown"
            onClicked: screen.chosen(listIndex)
            Accessible.name: [line1, model.durationKnown ? screen.spokenDuration(model.minutes, model.seconds) : "duration unknown"]
                .concat(screen.activeIndex === listIndex ? ["playing"] : [])
                .concat(model.available ? [] : ["not available"]).join(", ")
        }
    }
}
