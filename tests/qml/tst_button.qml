import QtQuick 2.0
import QtTest 1.1

// Hosts the list button as the main scene does: it reads `main`,
// `clientHeight` and `fontColor` by name.
Item {
    id: main
    property real clientHeight: 0.1
    property string fontColor: "white"
    property int activeIndex: -1
    width: 400
    height: 700

    SignalSpy { id: clicks; signalName: "clicked" }

    TestCase {
        name: "Button"
        when: windowShown
        property var button
        property var chrome

        function initTestCase() {
            button = Qt.createComponent("qrc:/qml/Quintavo/Button.qml").createObject(main, { y: 300 })
            chrome = button.children[0]
            clicks.target = button
            compare([button.width, button.height], [400, 70])
        }
        function init() {
            button.state = ""
            button.toggle = true
            button.listIndex = main.activeIndex = 2
            clicks.clear()
        }

        function looksLike(look) {
            var looks = { "": ["transparent", "white", 1], pressed: ["transparent", "white", 1],
                          active: ["lightblue", "black", 1], disabled: ["red", "white", 0.5] }
            compare(chrome.state, look)
            verify(Qt.colorEqual(chrome.color, looks[look][0]), String(chrome.color))
            compare([chrome.textColor, chrome.opacity], looks[look].slice(1))
        }

        function test_look_data() {
            return [
                { tag: "active", toggle: true, listIndex: 2, active: 2, state: "", look: "active" },
                { tag: "other entry", toggle: true, listIndex: 3, active: 2, state: "", look: "" },
                { tag: "toggle false", toggle: false, listIndex: 2, active: 2, state: "", look: "" },
                { tag: "disabled beats active", toggle: true, listIndex: 2, active: 2, state: "disabled", look: "disabled" }
            ]
        }
        function test_look(data) {
            button.toggle = data.toggle
            button.listIndex = data.listIndex
            main.activeIndex = data.active
            button.state = data.state
            looksLike(data.look)
        }

        function test_pressShowsBaseColoursGrown() {
            mousePress(button)
            looksLike("pressed")
            tryCompare(button, "scale", 1.2)
            mouseRelease(button)
            looksLike("active")
            tryCompare(button, "scale", 1)
            compare(clicks.count, 1)
        }

        function test_disabledIgnoresTapsUntilCleared() {
            button.state = "disabled"
            mousePress(button)
            looksLike("disabled")
            compare(button.scale, 1)
            mouseRelease(button)
            compare(clicks.count, 0)
            button.state = ""
            looksLike("active")
            mouseClick(button)
            compare(clicks.count, 1)
        }
    }
}
