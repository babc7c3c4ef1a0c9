import QtQuick 2.0
import QtTest 1.1

// The list button on its own, given what it needs as properties, on a black
// ground: the looks as a user sees them, taps and the press.
Item {
    id: host
    width: 400
    height: 700

    Rectangle { anchors.fill: parent; color: "black" }
    SignalSpy { id: clicks; signalName: "clicked" }

    TestCase {
        name: "Button"
        when: windowShown
        property var button
        property var chrome

        // What the looks show in the lower half, left of the middle, where no
        // text reaches and the gloss is a faint dark tint (7 %): the fill
        // over black, at the chrome's opacity.
        readonly property var looks: ({
            "": [0, 0, 0], // transparent
            "active": [173 * 0.93, 216 * 0.93, 230 * 0.93], // light blue
            "disabled": [255 * 0.93 * 0.5, 0, 0] // red at half opacity
        })

        function initTestCase() {
            button = Qt.createComponent("qrc:/qml/Quintavo/Button.qml").createObject(host, { y: 300, height: 70 })
            chrome = findChild(button, "chrome")
            clicks.target = button
            compare(button.width, host.width)
        }
        function init() {
            setAvailable(true)
            button.toggle = true
            button.listIndex = button.activeIndex = 2
            clicks.clear()
        }
        function setAvailable(available) { button.available = available }

        // The colour on screen in the button's lower half, left of the middle
        // (inside the outline even while the button is grown).
        function seen() {
            var at = button.mapToItem(host, 60, button.height * 0.55), colour = null
            // The grab is gone once its callback returns.
            host.grabToImage(function (grab) { colour = probe.rgb(grab.image, at.x, at.y) })
            for (var waited = 0; colour === null && waited < 5000; waited += 5)
                wait(5) // a frame, not tryVerify's 50 ms steps
            verify(colour !== null, "no grab within 5 s")
            return colour
        }
        function compareLook(look) {
            var want = looks[look], got = seen()
            verify(got.every(function (value, i) { return Math.abs(value - want[i]) <= 12 }),
                   "look \"" + look + "\": " + got + ", want " + want.map(Math.round))
        }
        // The same, within the press's transition: a look left gives back the
        // chrome's own colour and opacity only once it ends.
        function tryCompareLook(look) {
            var want = looks[look], got, began = Date.now()
            do
                got = seen()
            while (!got.every(function (value, i) { return Math.abs(value - want[i]) <= 12 })
                   && Date.now() - began < 1000)
            compareLook(look)
        }

        // Relative luminance of a colour, as contrast checks compute it.
        function luminance(colour) {
            var c = Qt.darker(colour, 1) // a color value whatever was given
            function linear(v) { return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4) }
            return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b)
        }

        function test_look_data() {
            return [
                { tag: "active", toggle: true, listIndex: 2, active: 2, available: true, look: "active" },
                { tag: "other entry", toggle: true, listIndex: 3, active: 2, available: true, look: "" },
                { tag: "toggle false", toggle: false, listIndex: 2, active: 2, available: true, look: "" },
                { tag: "none active, none given", toggle: true, listIndex: -1, active: -1, available: true, look: "active" },
                { tag: "not available", toggle: true, listIndex: 3, active: 2, available: false, look: "disabled" },
                { tag: "not available beats active", toggle: true, listIndex: 2, active: 2, available: false, look: "disabled" },
                { tag: "not available, dimmed", toggle: false, listIndex: 2, active: 2, available: false, dimmed: true, look: "disabled" }
            ]
        }
        function test_look(data) {
            button.toggle = data.toggle
            button.listIndex = data.listIndex
            button.activeIndex = data.active
            button.dimmed = !!data.dimmed
            setAvailable(data.available)
            tryCompareLook(data.look)
            button.dimmed = false
        }

        // The active look fills the button: its text must stay readable on
        // the fill, as the base look's text is on the background.
        function test_activeTextReadable() {
            tryCompareLook("active")
            var fill = luminance(chrome.color), text = luminance(chrome.textColor)
            verify((Math.max(fill, text) + 0.05) / (Math.min(fill, text) + 0.05) >= 4.5, [chrome.color, chrome.textColor])
        }

        function test_pressGrowsAndShowsTheBaseLook() {
            mousePress(button)
            tryCompare(button, "scale", 1.2)
            compareLook("")
            mouseRelease(button)
            compareLook("active")
            tryCompare(button, "scale", 1)
            compare(clicks.count, 1)
        }

        function test_notAvailableIgnoresTapsUntilCleared() {
            setAvailable(false)
            mousePress(button)
            compare(button.scale, 1)
            mouseRelease(button)
            compare(clicks.count, 0)
            setAvailable(true)
            tryCompareLook("active")
            mouseClick(button)
            compare(clicks.count, 1)
        }
    }
}
