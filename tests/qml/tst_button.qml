import QtQuick 2.0
import QtTest 1.1

// The list button on its own, given what it needs as properties.
Item {
    id: host
    width: 400
    height: 700

    SignalSpy { id: clicks; signalName: "clicked" }

    TestCase {
        name: "Button"
        when: windowShown
        property var button
        property var chrome

        function initTestCase() {
            button = Qt.createComponent("qrc:/qml/Quintavo/Button.qml").createObject(host, { y: 300, height: 70 })
            chrome = button.children[0]
            clicks.target = button
            compare(button.width, host.width)
        }
        function init() {
            button.available = true
            button.toggle = true
            button.listIndex = button.activeIndex = 2
            clicks.clear()
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
                { tag: "disabled beats active", toggle: true, listIndex: 2, active: 2, available: false, look: "disabled" }
            ]
        }
        function test_look(data) {
            button.toggle = data.toggle
            button.listIndex = data.listIndex
            button.activeIndex = data.active
            button.available = data.available
            compare(chrome.state, data.look)
        }

        // The active look fills the button: its text must stay readable on
        // the fill, as the base look's text is on the background.
        function test_activeTextReadable() {
            compare(chrome.state, "active")
            var fill = luminance(chrome.color), text = luminance(chrome.textColor)
            verify((Math.max(fill, text) + 0.05) / (Math.min(fill, text) + 0.05) >= 4.5, [chrome.color, chrome.textColor])
        }

        function test_pressGrowsAndShowsTheBaseLook() {
            mousePress(button)
            compare(chrome.state, "pressed")
            tryCompare(button, "scale", 1.2)
            mouseRelease(button)
            compare(chrome.state, "active")
            tryCompare(button, "scale", 1)
            compare(clicks.count, 1)
        }

        function test_disabledIgnoresTapsUntilCleared() {
            button.available = false
            mousePress(button)
            compare(button.scale, 1)
            mouseRelease(button)
            compare(clicks.count, 0)
            button.available = true
            compare(chrome.state, "active")
            mouseClick(button)
            compare(clicks.count, 1)
        }
    }
}
