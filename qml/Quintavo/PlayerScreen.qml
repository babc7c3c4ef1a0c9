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
    property color fontColor: Theme.text
    property bool showFocus: false

    // The user chose an entry: 0 is "Default", k the k-th video.
    signal chosen(int listIndex)

    // Up, Down, Page Up and Page Down move the keyboard focus through the
    // entries ("Default" is entry 0, video k entry k), stopping at either
    // end, and scroll it into view; Return, Enter and Space choose the
    // focused entry. True when the key was taken.
    function handleKey(key) {
        switch (key) {
        case Qt.Key_Down:
        case Qt.Key_Up:
        case Qt.Key_PageDown:
        case Qt.Key_PageUp:
            moveFocus(paging.stepOf(key))
            return true
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
        // Entry 0 is "Default", above the list; video k is entry k.
        var to = paging.target(videoList.activeFocus ? videoList.currentIndex + 1 : 0, step, videoList.count)
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

    // "1 minute 5 seconds", for screen readers. English has no catalogue of
    // its own, so its singular is a text of its own; a translation gives
    // every plural form in both texts.
    function spokenDuration(minutes, seconds) {
        //: Spoken by screen readers; the singular of "%n minutes".
        return (minutes === 1 ? qsTr("%n minute", "spoken", minutes)
                //: Spoken by screen readers, as in "1 minute 5 seconds".
                : qsTr("%n minutes", "spoken", minutes)) + " "
            //: Spoken by screen readers; the singular of "%n seconds".
            + (seconds === 1 ? qsTr("%n second", "spoken", seconds)
               //: Spoken by screen readers, as in "1 minute 5 seconds".
               : qsTr("%n seconds", "spoken", seconds))
    }

    // The length under a video's description. English keeps the plural
    // words, also for 1.
    function shownDuration(minutes, seconds) {
        //: A video's length: %1 is "%n minutes", %2 is "%n seconds".
        return qsTr("Duration: %1 %2").arg(qsTr("%n minutes", "", minutes)).arg(qsTr("%n seconds", "", seconds))
    }

    Paging {
        id: paging
        viewHeight: videoList.height
        rowPitch: screen.rowHeight + screen.spacing
    }

    Button {
        id: defaultVideo
        objectName: "defaultVideo"
        anchors.top: parent.top
        anchors.topMargin: screen.spacing
        height: screen.rowHeight
        line1: screen.videos ? screen.videos.defaultLabel : ""
        line2: ""
        listIndex: 0
        toggle: true
        activeIndex: screen.activeIndex
        fontColor: screen.fontColor
        showFocus: screen.showFocus
        onClicked: screen.chosen(listIndex)
        Accessible.name: screen.activeIndex === listIndex ? line1 + ", " + qsTr("playing") : line1
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
        // There is no highlight to move: following the current item would
        // animate towards it at 400 px/s, a frame after frame for minutes when
        // rows come in above it (as a crowd of players registers).
        highlightFollowsCurrentItem: false
        model: screen.videos
        // Entries are made as they scroll into view, not ahead in the
        // background: an entry still being made when an answer shortens the
        // list would be cancelled with a warning.
        cacheBuffer: 0

        delegate: Button {
            height: screen.rowHeight
            listIndex: index + 1
            toggle: true
            activeIndex: screen.activeIndex
            fontColor: screen.fontColor
            showFocus: screen.showFocus
            available: model.available
            line1: model.label
            line2: model.durationKnown ? screen.shownDuration(model.minutes, model.seconds) : qsTr("Duration: unknown")
            onClicked: screen.chosen(listIndex)
            Accessible.name: [line1, model.durationKnown ? screen.spokenDuration(model.minutes, model.seconds)
                    //: Spoken by screen readers after a video's description.
                    : qsTr("duration unknown")]
                //: Spoken by screen readers after the entry the player plays.
                .concat(screen.activeIndex === listIndex ? [qsTr("playing")] : [])
                //: Spoken by screen readers after a video the player cannot play.
                .concat(model.available ? [] : [qsTr("not available")]).join(", ")
        }
    }
}
