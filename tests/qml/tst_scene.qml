import QtQuick 2.0
import QtTest 1.1

// The scene from the resource collection with the stand-in hub
// `networkMessenger`: player list, player screen and update notice.
Item {
    id: root
    width: 400
    height: 700

    TestCase {
        name: "Scene"
        when: windowShown
        property var scene
        readonly property var hub: networkMessenger

        function item(name) { return findChild(scene, name) }
        // The list takes the hub's announcements in before the next frame.
        function listed() { wait(0); item("deviceList").forceLayout() }
        function addPlayer(name, address) { hub.addPlayer(name, address); listed() }
        function reset() { hub.reset(); listed() }
        // A player's answer as it comes over the wire.
        function answer(object) { hub.activeClientChanged(JSON.parse(JSON.stringify(object))) }
        function rows(list) {
            return Array.prototype.filter.call(list.contentItem.children, function (row) { return row.line1 !== undefined })
                .sort(function (a, b) { return a.y - b.y })
        }
        function lines(list, name) { return rows(list).map(function (row) { return row[name] }) }
        // Every item under item, depth first, that passes test.
        function under(item, test) {
            var found = test(item) ? [item] : []
            for (var i = 0; i < item.children.length; ++i)
                found = found.concat(under(item.children[i], test))
            return found
        }
        function texts(item) { return under(item, function (it) { return it.textFormat !== undefined }) }
        // The first lines of the entries that show the focus frame.
        function framed(item) {
            return under(item, function (it) { return it.objectName === "focusFrame" && it.visible })
                .map(function (frame) { return frame.parent.line1 })
        }
        function keys(list) { list.forEach(function (key) { keyClick(key) }) }

        function initTestCase() {
            scene = Qt.createComponent("qrc:/qml/Quintavo/main.qml").createObject(root)
            compare(hub.scanCount, 0)
            compare(item("backButton").opacity, 0) // no fade-out at start
        }
        // Starts on the main screen with one player row, which connects the
        // video list to the hub's answers.
        function init() {
            scene.goBack()
            item("updateInfo").state = ""
            scene.keyboardUsed = false
            reset()
            addPlayer("alpha", "10.77.0.5")
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }, { description: "b" },
                                                { description: "c", exists: true }] })
        }

        // Many announcements in one turn of the event loop are shown by the
        // next frame, and the notice of an empty list goes. (Its taken port
        // line and the rows' names: the end-to-end desktop test.)
        function test_listFollowsWithinOneFrame() {
            reset()
            verify(item("errorLabel").visible)
            for (var i = 0; i < 30; ++i)
                hub.addPlayer("p" + i, "10.77.1." + i)
            waitForRendering(item("deviceList"))
            compare(item("deviceList").count, 30)
            compare(lines(item("deviceList"), "line1").slice(0, 2), ["p0", "p1"])
            verify(!item("errorLabel").visible)
        }

        // However often the player list rebuilds its rows, an answer updates
        // the video list once.
        function test_oneUpdatePerAnswer() {
            for (var i = 0; i < 20; ++i)
                addPlayer("p" + i, "10.77.1." + i)
            compare(hub.answerListeners(), 1)
        }

        // Markup that would be rendered (a 200-pixel picture) shows as its
        // text, cut short inside its row and between Back and the logo.
        function test_playerTextIsPlain() {
            var markup = '<img src="qrc:///siglogo.gif" width="200" height="200">A very long name, Lobby'
            reset()
            addPlayer(markup, "10.77.0.9")
            mouseClick(rows(item("deviceList"))[0])
            answer({ activeIndex: 0, quintavo: [{ description: markup, exists: true }] })
            var shown = texts(scene).filter(function (text) { return text.text === markup })
            compare(shown.length, 3) // row name, header name, video
            shown.forEach(function (text) {
                verify(text.contentHeight < 50, text.contentHeight)
                var left = text.mapToItem(scene, 0, 0).x
                verify(left >= 0 && left + text.width <= scene.width, left)
            })
            verify(item("hostname").mapToItem(scene, 0, 0).x >= item("backButton").width)
        }

        // A tap on a row opens the player's screen, which fades in; a player
        // opened after another shows only "Default" until it answers. Back
        // returns to the list.
        function test_playerScreenRoundTrip() {
            addPlayer("beta", "10.77.0.6")
            mouseClick(rows(item("deviceList"))[0])
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }] })
            mouseClick(item("backButton"))
            compare([scene.state, item("hostname").text, item("ipaddress").text], ["", "", ""])
            verify(item("timer").running && item("mainView").visible && !item("clientView").visible)
            tryCompare(item("backButton"), "opacity", 0)

            mouseClick(rows(item("deviceList"))[1])
            compare([item("videoList").count, scene.activeIndex, scene.state, hub.queried],
                    [0, -1, "info", ["10.77.0.5", "10.77.0.6"]])
            compare(item("defaultVideo").children[0].state, "")
            compare([item("hostname").text, item("ipaddress").text], ["beta", "10.77.0.6"])
            verify(!item("timer").running && !item("mainView").visible && item("clientView").visible)
            verify(item("clientView").opacity < 1)
            tryCompare(item("clientView"), "opacity", 1)
            tryCompare(item("backButton"), "opacity", 1)
            hub.activeClient.hostname = "renamed"
            compare(item("hostname").text, "renamed")
            mouseClick(item("defaultVideo"))
            compare(hub.switched, [0])
        }

        // Keys move the focus and stop at either end; the list scrolls to
        // it; Return then does what a tap on the row does.
        function test_playerListKeys_data() {
            var down = Qt.Key_Down, up = Qt.Key_Up, pageDown = Qt.Key_PageDown, pageUp = Qt.Key_PageUp
            return [{ tag: "none", keys: [], row: 0 }, { tag: "Down", keys: [down], row: 1 },
                    { tag: "Down Up Up", keys: [down, up, up], row: 0 }, { tag: "Page Down", keys: [pageDown], row: 8 },
                    { tag: "to the end", keys: [pageDown, pageDown, pageDown, down], row: 19 },
                    { tag: "Page Up", keys: [pageDown, pageDown, pageDown, pageUp], row: 11 }]
        }
        function test_playerListKeys(data) {
            for (var i = 1; i < 20; ++i)
                addPlayer("p" + i, "10.77.1." + i)
            var list = item("deviceList")
            keys(data.keys)
            var row = list.itemAtIndex(data.row)
            compare(framed(list), data.keys.length ? [row.line1] : [])
            verify(row.y >= list.contentY && row.y + row.height <= list.contentY + list.height, row.y - list.contentY)
            keyClick(Qt.Key_Return)
            compare([hub.queried, scene.state], [[row.line2], "info"])
            compare(framed(scene), ["Default"])
        }

        // On the player screen, "Default" has the focus first.
        function test_playerScreenKeys_data() {
            var down = Qt.Key_Down
            return [{ tag: "Return", keys: [Qt.Key_Return], sent: [0] }, { tag: "Space", keys: [down, down, down, Qt.Key_Space], sent: [3] },
                    { tag: "Enter", keys: [down, Qt.Key_Enter], sent: [1] }, { tag: "disabled", keys: [down, down, Qt.Key_Return], sent: [] },
                    { tag: "past the end", keys: [down, down, down, down, Qt.Key_Return], sent: [3] },
                    { tag: "pages", keys: [Qt.Key_PageDown, Qt.Key_PageUp, Qt.Key_Return], sent: [0] }]
        }
        function test_playerScreenKeys(data) {
            keyClick(Qt.Key_Return)
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }, { description: "b" }, { description: "c", exists: true }] })
            keys(data.keys)
            compare(hub.switched, data.sent)
        }

        function test_backKeys_data() {
            return [{ tag: "Escape", key: Qt.Key_Escape }, { tag: "Backspace", key: Qt.Key_Backspace }]
        }
        function test_backKeys(data) {
            addPlayer("beta", "10.77.0.6")
            keys([Qt.Key_Down, Qt.Key_Return])
            hub.newUpdate("1.0.0", "Notice", "", true)
            if (data.key === Qt.Key_Escape) {
                keyClick(data.key) // the notice first
                compare([item("updateInfo").visible, scene.state], [false, "info"])
            }
            keyClick(data.key)
            compare([scene.state, framed(scene)], ["", ["beta"]])
            keyClick(data.key) // nothing further back
            compare([scene.state, hub.queried], ["", ["10.77.0.6"]])
        }

        // After a press of the pointer, as before any key, no frame shows,
        // though the focus is on a row.
        function test_focusFrameAfterKeysOnly() {
            keyClick(Qt.Key_Up)
            compare(framed(scene), ["alpha"])
            mousePress(scene, 200, 650)
            mouseRelease(scene, 200, 650)
            compare(framed(scene), [])
        }

        // The timer scans every 10 s, F5 at once, also on the player screen.
        function test_timerScansOnMainScreenOnly() {
            var timer = item("timer")
            compare([timer.running, timer.repeat, timer.interval], [true, true, 10000])
            timer.triggered()
            keyClick(Qt.Key_F5)
            compare(hub.scanCount, 2)
            scene.state = "info"
            keyClick(Qt.Key_F5)
            compare(hub.scanCount, 3)
        }

        // Screen readers hear the duration in words, and which one plays.
        function test_durations_data() {
            return [[125, "2 minutes 5 seconds"], [0, "0 minutes 0 seconds"], [65, "1 minutes 5 seconds", "1 minute 5 seconds"],
                    [119.6, "1 minutes 60 seconds", "1 minute 60 seconds"], [61, "1 minutes 1 seconds", "1 minute 1 second"],
                    [30.4, "0 minutes 30 seconds"], [undefined, "unknown"], [-5, "unknown"], ["125", "unknown"],
                    [null, "unknown"], [1e300, "unknown"]]
                .map(function (row) {
                    return { tag: String(row[0]), duration: row[0], text: "Duration: " + row[1],
                             name: "Clip, " + (row[1] === "unknown" ? "duration unknown" : row[2] || row[1]) + ", playing" }
                })
        }
        function test_durations(data) {
            answer({ activeIndex: 1, quintavo: [{ description: "Clip", duration: data.duration, exists: true }] })
            compare(lines(item("videoList"), "line2"), [data.text])
            compare(rows(item("videoList"))[0].Accessible.name, data.name)
            compare(item("defaultVideo").Accessible.name, "Default")
        }

        function test_entries() {
            answer({ activeIndex: 2, quintavo: [{ description: "First", exists: true }, { description: "Second", exists: false },
                    { description: "", exists: true }, { exists: true }, { description: 5, exists: "yes" }, "junk", null, [1]] })
            compare(lines(item("videoList"), "line1"),
                    ["First", "Second", "Video 3", "Video 4", "Video 5", "Video 6", "Video 7", "Video 8"])
            compare(lines(item("videoList"), "state"), ["", "disabled", "", "", "disabled", "disabled", "disabled", "disabled"])
            compare(rows(item("videoList"))[1].Accessible.name, "Second, duration unknown, playing, not available")
        }

        // Each answer follows one with three videos and the first active.
        function test_updateModel_data() {
            return [
                { tag: "no activeIndex", json: '{"quintavo": [{}]}', active: 1, count: 3 },
                { tag: "text activeIndex", json: '{"activeIndex": "0", "quintavo": []}', active: 1, count: 3 },
                { tag: "null activeIndex", json: '{"activeIndex": null}', active: 1, count: 3 },
                { tag: "quintavo a number", json: '{"activeIndex": 2, "quintavo": 7}', active: 2, count: 0 },
                { tag: "quintavo an object", json: '{"activeIndex": 2, "quintavo": {"a": 1}}', active: 2, count: 0 },
                { tag: "empty list", json: '{"activeIndex": 0, "quintavo": []}', active: 0, count: 0 }
            ]
        }
        function test_updateModel(data) {
            hub.activeClientChanged(JSON.parse(data.json))
            compare([scene.activeIndex, item("videoList").count], [data.active, data.count])
            compare(item("defaultVideo").children[0].state, data.active === 0 ? "active" : "")
        }

        // A tap highlights the video at once and asks the player for it.
        function test_tap() {
            scene.state = "info"
            mouseClick(rows(item("videoList"))[2])
            compare([hub.switched, scene.activeIndex], [[3], 3])
        }

        function test_updateNotice() {
            var notice = item("updateInfo")
            hub.newUpdate("1.0.0", "Quiet", "", false)
            verify(!notice.visible)
            hub.newUpdate("1.0.0", "First", "", true)
            compare([notice.visible, notice.width, notice.height, notice.z], [true, 300, 350, 100])
            hub.newUpdate("1.0.0", "<b>Second</b><br/>Fish &amp; chips&nbsp;&lt;3 &#8364;5 &#x41; &bogus; <!-- x -->", "", true)
            compare([notice.visible, notice.Accessible.name], [true, "Second Fish & chips <3 €5 A &bogus;"])
            mouseClick(notice, 5, 5)
            verify(!notice.visible)
        }

        function test_links_data() {
            return [["http://u.example/new", true], ["HTTPS://u.example/new", true], ["file:///usr/bin/xterm", false],
                    ["smb://host/share/setup.exe", false], ["myapp:run", false], ["setup.html", false], [" file:///bin/sh", false],
                    ["file:///bin/sh#http:", false], ["smb://host/share?https://x", false]]
                .map(function (row) { return { tag: row[0], link: row[0], opened: row[1] } })
        }
        function test_links(data) {
            var before = probe.openedUrls.length
            hub.newUpdate("1.0.0", '<a href="' + data.link + '">Get it now</a><br/><br/>Plain text', "", true)
            var text = item("updateText")
            mouseClick(text, 5, 5)
            verify(item("updateInfo").visible)
            compare(probe.openedUrls.slice(before).map(function (url) { return url.toLowerCase() }),
                    data.opened ? [data.link.toLowerCase()] : [])
            mouseClick(text, 5, text.height - 5)
            compare([item("updateInfo").visible, probe.openedUrls.length - before], [false, data.opened ? 1 : 0])
        }
    }
}
