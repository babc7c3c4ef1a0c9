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
        function answer(object) { hub.answer(JSON.stringify(object)) }
        function rows(list) {
            return Array.prototype.filter.call(list.contentItem.children, function (row) { return row.line1 !== undefined })
                .sort(function (a, b) { return a.y - b.y })
        }
        function lines(list, name) { return rows(list).map(function (row) { return row[name] }) }
        // Every Text under item, depth first.
        function texts(item) {
            var found = item.textFormat !== undefined ? [item] : []
            for (var i = 0; i < item.children.length; ++i)
                found = found.concat(texts(item.children[i]))
            return found
        }

        function initTestCase() {
            probe.watchWarnings()
            scene = Qt.createComponent("qrc:/qml/Quintavo/main.qml").createObject(root)
            compare(hub.scanCount, 0)
            compare(item("backButton").opacity, 0) // no fade-out at start
        }
        // Starts on the main screen with one player row, which connects the
        // video list to the hub's answers.
        function init() {
            scene.state = item("updateInfo").state = ""
            reset()
            addPlayer("alpha", "10.77.0.5")
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }, { description: "b" },
                                                { description: "c", exists: true }] })
        }
        function cleanup() { compare(probe.takeWarnings(), []) }

        // Many announcements in one turn of the event loop are shown by the
        // next frame.
        function test_listFollowsWithinOneFrame() {
            for (var i = 0; i < 30; ++i)
                hub.addPlayer("p" + i, "10.77.1." + i)
            waitForRendering(item("deviceList"))
            compare(item("deviceList").count, 31)
            compare(lines(item("deviceList"), "line1").slice(0, 3), ["alpha", "p0", "p1"])
        }

        function test_emptyNoticeFollowsRows() {
            reset()
            verify(item("errorLabel").visible)
            addPlayer("beta", "10.77.0.6")
            addPlayer("gamma", "10.77.0.7")
            verify(!item("errorLabel").visible)
            compare(lines(item("deviceList"), "line1"), ["beta", "gamma"])
            compare(lines(item("deviceList"), "line2"), ["10.77.0.6", "10.77.0.7"])
            compare([item("buttonBar").height, rows(item("deviceList"))[0].height], [70, 70])
        }

        function test_playerScreenRoundTrip() {
            addPlayer("beta", "10.77.0.6")
            mouseClick(rows(item("deviceList"))[1])
            compare([scene.activeIndex, scene.state, hub.queried], [-1, "info", ["10.77.0.6"]])
            compare([item("hostname").text, item("ipaddress").text], ["beta", "10.77.0.6"])
            verify(!item("timer").running && !item("mainView").visible && item("clientView").visible)
            verify(item("clientView").opacity < 1)
            tryCompare(item("clientView"), "opacity", 1)
            tryCompare(item("backButton"), "opacity", 1)
            hub.activeClient.hostname = "renamed"
            compare(item("hostname").text, "renamed")

            mouseClick(item("backButton"))
            compare([scene.state, item("hostname").text, item("ipaddress").text], ["", "", ""])
            verify(item("timer").running && item("mainView").visible && !item("clientView").visible)
            tryCompare(item("backButton"), "opacity", 0)
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
            addPlayer(markup, markup)
            mouseClick(rows(item("deviceList"))[0])
            answer({ activeIndex: 0, quintavo: [{ description: markup, exists: true }] })
            var shown = texts(scene).filter(function (text) { return text.text === markup })
            compare(shown.length, 5) // row name and address, header name and address, video
            shown.forEach(function (text) {
                verify(text.contentHeight < 50, text.contentHeight)
                var left = text.mapToItem(scene, 0, 0).x
                verify(left >= 0 && left + text.width <= scene.width, left)
            })
            verify(item("hostname").mapToItem(scene, 0, 0).x >= item("backButton").width)
        }

        // A player opened after another shows only "Default" until it answers.
        function test_openingAnotherPlayerEmptiesList() {
            addPlayer("beta", "10.77.0.6")
            mouseClick(rows(item("deviceList"))[0])
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }] })
            mouseClick(item("backButton"))
            mouseClick(rows(item("deviceList"))[1])
            compare([item("videoList").count, scene.activeIndex], [0, -1])
            compare(item("defaultVideo").children[0].state, "")
            mouseClick(item("defaultVideo"))
            compare(hub.switched, [0])
        }

        function test_timerScansOnMainScreenOnly() {
            var timer = item("timer")
            compare([timer.running, timer.repeat, timer.interval], [true, true, 10000])
            timer.triggered()
            compare(hub.scanCount, 1)
            scene.state = "info"
            verify(!timer.running)
        }

        function test_durations_data() {
            return [[125, "2 minutes 5 seconds"], [0, "0 minutes 0 seconds"], [65, "1 minutes 5 seconds"],
                    [119.6, "1 minutes 60 seconds"], [30.4, "0 minutes 30 seconds"], [undefined, "unknown"],
                    [-5, "unknown"], ["125", "unknown"], [null, "unknown"], [1e300, "unknown"]]
                .map(function (row) { return { tag: String(row[0]), duration: row[0], text: "Duration: " + row[1] } })
        }
        function test_durations(data) {
            answer({ activeIndex: 0, quintavo: [{ description: "Clip", duration: data.duration, exists: true }] })
            compare(lines(item("videoList"), "line2"), [data.text])
        }

        function test_entries() {
            answer({ activeIndex: 2, quintavo: [{ description: "First", exists: true }, { description: "Second", exists: false },
                    { description: "", exists: true }, { exists: true }, { description: 5, exists: "yes" }, "junk", null, [1]] })
            compare(lines(item("videoList"), "line1"),
                    ["First", "Second", "Video 3", "Video 4", "Video 5", "Video 6", "Video 7", "Video 8"])
            compare(lines(item("videoList"), "state"), ["", "disabled", "", "", "disabled", "disabled", "disabled", "disabled"])
        }

        // Each answer follows one with three videos and the first active.
        function test_updateModel_data() {
            return [
                { tag: "no activeIndex", json: '{"quintavo": [{}]}', active: 1, count: 3 },
                { tag: "text activeIndex", json: '{"activeIndex": "0", "quintavo": []}', active: 1, count: 3 },
                { tag: "null activeIndex", json: '{"activeIndex": null}', active: 1, count: 3 },
                { tag: "not an object", json: '[1, 2]', active: 1, count: 3 },
                { tag: "no quintavo", json: '{"activeIndex": 2}', active: 2, count: 0 },
                { tag: "quintavo a number", json: '{"activeIndex": 2, "quintavo": 7}', active: 2, count: 0 },
                { tag: "quintavo an object", json: '{"activeIndex": 2, "quintavo": {"a": 1}}', active: 2, count: 0 },
                { tag: "empty list", json: '{"activeIndex": 0, "quintavo": []}', active: 0, count: 0 },
                { tag: "odd elements", json: '{"activeIndex": 3, "quintavo": [{}, 1, "x", true]}', active: 3, count: 4 }
            ]
        }
        function test_updateModel(data) {
            hub.answer(data.json)
            compare([scene.activeIndex, item("videoList").count], [data.active, data.count])
            compare(item("defaultVideo").children[0].state, data.active === 0 ? "active" : "")
        }

        function test_taps_data() {
            return [{ tag: "Default", entry: 0, sent: [0], active: 0 }, { tag: "third video", entry: 3, sent: [3], active: 3 },
                    { tag: "disabled video", entry: 2, sent: [], active: 1 }]
        }
        function test_taps(data) {
            scene.state = "info"
            mouseClick(data.entry === 0 ? item("defaultVideo") : rows(item("videoList"))[data.entry - 1])
            compare([hub.switched, scene.activeIndex], [data.sent, data.active])
        }

        function test_updateNotice() {
            var notice = item("updateInfo")
            hub.announceUpdate("1.0.0", "Quiet", "", false)
            verify(!notice.visible)
            hub.announceUpdate("1.0.0", "First", "", true)
            compare([notice.visible, notice.width, notice.height, notice.z], [true, 300, 350, 100])
            hub.announceUpdate("1.0.0", "Second", "", true)
            compare([notice.visible, item("updateText").text], [true, "Second"])
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
            hub.announceUpdate("1.0.0", '<a href="' + data.link + '">Get it now</a><br/><br/>Plain text', "", true)
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
