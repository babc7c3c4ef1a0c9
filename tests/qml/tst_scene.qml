import QtQuick 2.0
import QtTest 1.1

// The scene from the resource collection with the stand-in hub
// `networkMessenger` and the real `playerDirectory` and `playlist` it feeds:
// player list, player screen and update notice.
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
        // A list button's outlined bar, which carries its looks.
        function chrome(button) { return findChild(button, "chrome") }
        function settle() { item("deviceList").forceLayout(); item("videoList").forceLayout() }
        function addPlayer(name, address, port) { hub.addPlayer(name, address, port || 7000); settle() }
        function scan() { hub.scanForClients(); settle() }
        // A player's answer as it comes over the wire.
        function answer(object) { hub.activeClientChanged(JSON.parse(JSON.stringify(object))); wait(0); settle() }
        // The rows the list has made, in order.
        function rows(list) {
            var made = []
            for (var i = 0; i < list.count; ++i)
                if (list.itemAtIndex(i))
                    made.push(list.itemAtIndex(i))
            return made
        }
        function lines(list, name) { return rows(list).map(function (row) { return row[name] }) }
        function rowNamed(name) { return rows(item("deviceList")).filter(function (row) { return row.line1 === name })[0] }
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
        function inView(list, row) { return row.y >= list.contentY && row.y + row.height <= list.contentY + list.height }
        // "p1" ... "pN" at 10.77.1.1 ... 10.77.1.N, in the order given.
        function addNumbered(numbers) { numbers.forEach(function (n) { addPlayer("p" + n, "10.77.1." + n) }) }
        function range(from, to) { var all = []; for (var n = from; n <= to; ++n) all.push(n); return all }

        function initTestCase() {
            var component = Qt.createComponent("qrc:/qml/Quintavo/main.qml"); if (component.status !== Component.Ready) fail(component.errorString()); scene = component.createObject(root)
            compare(hub.scanCount, 0)
            compare(item("backButton").opacity, 0) // no fade-out at start
        }
        // Starts on the list with one player, keyboard focus on its row and
        // the frame hidden, as after a tap.
        function init() {
            item("nameInputPanel").close()
            while (playerGroups.count > 0)
                playerGroups.remove(0)
            scene.goBack()
            item("updateInfo").state = ""
            hub.reset()
            addPlayer("alpha", "10.77.0.5")
            scene.goBack()
            scene.keyboardUsed = false
        }

        // The notice shows only while no player is listed: a scan does not
        // empty the list; a player that has not answered by a round's
        // verdict dims, says when it was last seen, can still be opened, and
        // brightens when it answers again; it stays listed.
        function test_presence() {
            var notice = item("errorLabel")
            scan()
            verify(!notice.visible)
            compare(rowNamed("alpha").Accessible.name, "alpha, 10.77.0.5")
            hub.verdict()
            verify(rowNamed("alpha").Accessible.name.indexOf("alpha, 10.77.0.5, not answering, last seen ") === 0,
                   rowNamed("alpha").Accessible.name)
            verify(chrome(rowNamed("alpha")).opacity < 1) // the row's look, dimmed
            keyClick(Qt.Key_Return)
            keyClick(Qt.Key_Escape)
            mouseClick(rowNamed("alpha"))
            compare([scene.state, hub.queried], ["info", ["10.77.0.5", "10.77.0.5"]])
            addPlayer("alpha", "10.77.0.5")
            compare(chrome(rowNamed("alpha")).opacity, 1)
            compare(rowNamed("alpha").Accessible.name, "alpha, 10.77.0.5")
            keyClick(Qt.Key_Escape)
            range(1, 4).forEach(function () { scan(); hub.verdict() })
            compare(lines(item("deviceList"), "line1"), ["alpha"])
            verify(!notice.visible)
        }

        // A player remembered from an earlier run is listed dimmed, "not seen
        // yet", until the first verdict; then, until it answers, it says when
        // it was last seen: by the time today, "yesterday" and the time, or
        // the date.
        function test_lastSeen_data() {
            var at = function (daysAgo, hours, minutes) {
                var when = new Date()
                when.setDate(when.getDate() - daysAgo)
                when.setHours(hours, minutes, 0, 0)
                return when
            }
            var older = at(5, 9, 0)
            return [{ tag: "today", seen: at(0, 8, 12), shown: "last seen 08:12" },
                    { tag: "yesterday", seen: at(1, 17, 40), shown: "last seen yesterday 17:40" },
                    { tag: "before", seen: older, shown: "last seen " + Qt.formatDate(older, Locale.ShortFormat),
                      playing: "Evening loop" }]
        }
        function test_lastSeen(data) {
            hub.remember("beta", "10.77.0.6", data.seen.toISOString(), data.playing ? 2 : -1, data.playing || "")
            settle()
            var known = data.playing ? [" \u00b7 last known: " + data.playing, ", last known playing " + data.playing] : ["", ""]
            var beta = rowNamed("beta")
            compare([beta.line2, beta.Accessible.name],
                    ["10.77.0.6 \u00b7 not seen yet" + known[0], "beta, 10.77.0.6" + known[1] + ", not seen yet"])
            verify(chrome(beta).opacity < 1)
            scan()
            addPlayer("alpha", "10.77.0.5")
            hub.verdict()
            compare([beta.line2, beta.Accessible.name],
                    ["10.77.0.6 \u00b7 " + data.shown + known[0],
                     "beta, 10.77.0.6" + known[1] + ", not answering, " + data.shown])
            compare(rowNamed("alpha").Accessible.name, "alpha, 10.77.0.5")
        }

        // Delete, or Forget in a row's menu (Menu key, right click, long
        // press), takes the player off the list; the menu closes on Escape or
        // a press outside it, and follows its row while rows come above it.
        function test_forget_data() {
            return [{ tag: "right click", steps: ["right", "tap"], left: ["alpha", "gamma"] },
                    { tag: "long press", steps: ["hold", "tap"], left: ["alpha", "gamma"] },
                    { tag: "a row comes above", steps: ["right", "above", "tap"], left: ["aaa", "alpha", "gamma"] },
                    { tag: "Escape", steps: ["right", "escape", "delete"], left: ["alpha", "gamma"] },
                    { tag: "press outside", steps: ["menu", "down", "menu", "outside"], left: ["alpha", "beta", "gamma"] }]
        }
        // With the last row forgotten by key, the first key on the rows that
        // come next puts the focus on the first of them.
        function test_forgetTheLast() {
            keys([Qt.Key_Down, Qt.Key_Delete])
            compare(item("deviceList").count, 0)
            addNumbered([3, 1, 2])
            keyClick(Qt.Key_Down)
            compare(framed(scene), ["p1"])
        }

        function test_forget(data) {
            addPlayer("gamma", "10.77.0.7")
            addPlayer("beta", "10.77.0.6")
            var menu = item("playerMenu")
            data.steps.forEach(function (step) {
                var beta = rowNamed("beta")
                switch (step) {
                case "down": keyClick(Qt.Key_Down); break
                case "delete": keyClick(Qt.Key_Delete); break
                case "menu": keyClick(Qt.Key_Menu); break
                case "return": keyClick(Qt.Key_Return); break
                case "escape": keyClick(Qt.Key_Escape); break
                case "right": mouseClick(beta, beta.width / 2, beta.height / 2, Qt.RightButton); break
                case "hold":
                    mousePress(beta)
                    tryVerify(function () { return menu.visible })
                    mouseRelease(beta)
                    break
                case "tap": mouseClick(item("forgetEntry")); break
                case "above": addPlayer("aaa", "10.77.0.4"); break
                case "outside": mouseClick(scene, 20, scene.height - 20); break
                }
            })
            settle()
            compare(lines(item("deviceList"), "line1"), data.left)
            compare(menu.visible, false)
            compare([scene.state, hub.queried], ["", []])
        }

        // A new player above keeps the focused row and the rows in view where
        // they are; a renamed player's row moves with the focus on it.
        function test_focusAndViewFollowThePlayer() {
            addNumbered(range(1, 19))
            var list = item("deviceList")
            keys([Qt.Key_Down, Qt.Key_PageDown, Qt.Key_PageDown]) // well below the first screen
            var focused = framed(scene)[0]
            var top = list.indexAt(0, list.contentY + 1)
            var topName = list.itemAtIndex(top).line1
            addPlayer("aaa", "10.77.2.1")
            settle()
            compare(framed(scene), [focused])
            verify(inView(list, list.currentItem))
            compare(list.itemAtIndex(list.indexAt(0, list.contentY + 1)).line1, topName)

            scan()
            addPlayer("zzz", list.currentItem.line2) // the focused player, renamed
            compare(framed(scene), ["zzz"])
            compare(list.currentIndex, list.count - 1)
        }

        // Back returns to the row of the player that was open, wherever it
        // stands now.
        function test_backReturnsToTheOpenPlayer() {
            addNumbered([3, 4])
            keys([Qt.Key_Down, Qt.Key_Return]) // alpha [p3]
            compare(hub.queried, ["10.77.1.3"])
            addNumbered([1, 2])
            addPlayer("aaa", "10.77.2.1")
            keyClick(Qt.Key_Escape)
            compare(framed(scene), ["p3"])
            keyClick(Qt.Key_Return)
            compare(hub.queried, ["10.77.1.3", "10.77.1.3"])
        }

        function selectedNames() { return rows(item("deviceList")).filter(function (row) { return row.selected }).map(function (row) { return row.line1 }) }
        function stores() { ["bar-1", "bar-2", "foyer-1", "foyer-2"].forEach(function (name, n) { addPlayer(name, "10.77.0." + (20 + n)) }) }

        // Space and Ctrl+click toggle a row, Shift with Up, Down or a click
        // extends from the row toggled last, Ctrl+A takes every row, Escape
        // none; "Select" in a row's menu starts selecting by touch, and then
        // a tap toggles. Nothing is opened; screen readers hear each row's
        // place and whether it is selected.
        function test_select_data() {
            return [{ tag: "Space", steps: ["down", "space"], selected: ["bar-1"] },
                    { tag: "Space twice", steps: ["down", "space", "space"], selected: [] },
                    { tag: "Shift+Down", steps: ["down", "space", "shift+down", "shift+down"], selected: ["bar-1", "bar-2", "foyer-1"] },
                    { tag: "Shift+Up from the anchor", steps: ["down", "down", "space", "up", "up", "shift+up"], selected: ["alpha", "bar-1", "bar-2"] },
                    { tag: "Ctrl+click", steps: ["ctrl+click 1", "ctrl+click 3", "ctrl+click 1"], selected: ["foyer-1"] },
                    { tag: "Shift+click", steps: ["ctrl+click 1", "shift+click 4"], selected: ["bar-1", "bar-2", "foyer-1", "foyer-2"] },
                    { tag: "Ctrl+A", steps: ["ctrl+a"], selected: ["alpha", "bar-1", "bar-2", "foyer-1", "foyer-2"] },
                    { tag: "Escape", steps: ["ctrl+a", "escape"], selected: [] },
                    { tag: "touch", steps: ["menu 2", "select", "tap 4", "tap 0", "tap 2"], selected: ["alpha", "foyer-2"] }]
        }
        function test_select(data) {
            stores()
            var list = item("deviceList")
            data.steps.forEach(function (step) {
                var words = step.split(" "), row = list.itemAtIndex(Number(words[1]))
                switch (words[0]) {
                case "down": keyClick(Qt.Key_Down); break
                case "up": keyClick(Qt.Key_Up); break
                case "space": keyClick(Qt.Key_Space); break
                case "shift+down": keyClick(Qt.Key_Down, Qt.ShiftModifier); break
                case "shift+up": keyClick(Qt.Key_Up, Qt.ShiftModifier); break
                case "ctrl+a": keyClick(Qt.Key_A, Qt.ControlModifier); break
                case "escape": keyClick(Qt.Key_Escape); break
                case "ctrl+click": mouseClick(row, 10, 10, Qt.LeftButton, Qt.ControlModifier); break
                case "shift+click": mouseClick(row, 10, 10, Qt.LeftButton, Qt.ShiftModifier); break
                case "menu": mouseClick(row, 10, 10, Qt.RightButton); break
                case "select": mouseClick(item("selectEntry")); break
                case "tap": mouseClick(row); break
                }
            })
            compare([selectedNames(), playerDirectory.selectedCount, scene.state, hub.queried], [data.selected, data.selected.length, "", []])
            var third = list.itemAtIndex(2)
            compare([third.Accessible.role, third.Accessible.description, third.Accessible.selected],
                    [Accessible.ListItem, "3 of 5", data.selected.indexOf("bar-2") >= 0])
            compare(findChild(third, "selectedMark").visible, third.Accessible.selected)
        }

        // The bar shows while rows are selected: how many, and Forget and
        // Clear act on them; Tab reaches its buttons and Escape gives the
        // focus back to the row it was on.
        function test_selectionBar_data() {
            return [{ tag: "Clear", button: "clearButton", left: ["alpha", "bar-1", "bar-2", "foyer-1", "foyer-2"] },
                    { tag: "Forget", button: "forgetButton", left: ["alpha", "bar-2", "foyer-2"] },
                    { tag: "Forget by keys", keys: [Qt.Key_Tab, Qt.Key_Right, Qt.Key_Return], left: ["alpha", "bar-2", "foyer-2"] },
                    { tag: "Clear by keys", keys: [Qt.Key_Backtab, Qt.Key_Space], left: ["alpha", "bar-1", "bar-2", "foyer-1", "foyer-2"] },
                    { tag: "Escape from the bar", keys: [Qt.Key_Tab, Qt.Key_Escape, Qt.Key_Space], left: ["alpha", "bar-1", "bar-2", "foyer-1", "foyer-2"], selected: ["bar-1"] }]
        }
        function test_selectionBar(data) {
            stores()
            var bar = item("selectionBar")
            verify(!bar.visible)
            keys([Qt.Key_Down, Qt.Key_Space, Qt.Key_Down, Qt.Key_Down, Qt.Key_Space]) // bar-1, foyer-1
            compare([bar.visible, item("selectedCount").text], [true, "2 selected"])
            var list = item("deviceList") // the last row can be scrolled above the bar
            compare(list.mapToItem(scene, 0, list.height).y, bar.mapToItem(scene, 0, 0).y)
            if (data.button)
                mouseClick(item(data.button))
            else
                keys(data.keys)
            settle()
            compare([lines(item("deviceList"), "line1"), selectedNames()], [data.left, data.selected || []])
            compare(bar.visible, data.selected !== undefined)
            if (data.keys)
                verify(item("deviceList").activeFocus)
        }

        // Play lists "Default" and what the selected players' playlists
        // hold, with how many hold it; each row says "switching", then what
        // it plays or why not (s4 takes the switch but never answers); one
        // line sums it up. Ctrl+A takes only the rows a typed text shows.
        // (The index each is sent: tst_SelectionPlay, and end to end
        // e2e_selection.)
        function test_playOnSelected() {
            hub.addScriptedPlayer("s1", ["Evening loop", "Menu board"])
            hub.addScriptedPlayer("s2", ["Menu board", "Evening loop", "Evening loop"])
            hub.addScriptedPlayer("s3", ["Menu board"])
            hub.addScriptedPlayer("s4", ["Evening loop"], true)
            settle()
            keyClick("s")
            settle()
            keyClick(Qt.Key_A, Qt.ControlModifier)
            compare(selectedNames(), ["s1", "s2", "s3", "s4"])
            keys([Qt.Key_Tab, Qt.Key_Return])
            var choices = item("choiceList")
            verify(choices.visible && choices.activeFocus)
            tryVerify(function () { return hub.waitingForPlaylists() === 0 })
            choices.forceLayout()
            var entries = lines(choices, "line1")
            compare(entries.slice().sort(), ["Default — 4 of 4", "Evening loop — 3 of 4", "Menu board — 3 of 4"])
            var evening = entries.indexOf("Evening loop — 3 of 4")
            mouseClick(choices.itemAtIndex(evening))
            verify(!choices.visible)
            var line = function (name) { return rowNamed(name).line2 }
            compare([line("s1"), line("s2"), line("s3"), line("s4")],
                    ["127.0.0.1 · switching", "127.0.0.1 · switching", "127.0.0.1 · no such video", "127.0.0.1 · switching"])
            tryCompare(selectionPlay, "done", true)
            compare([line("s1"), line("s2"), line("s3"), line("s4")],
                    ["127.0.0.1 · Evening loop", "127.0.0.1 · Evening loop", "127.0.0.1 · no such video", "127.0.0.1 · not answering"])
            compare([item("summary").text, item("summary").Accessible.role],
                    ["2 of 4 switched: s3 has no such video, s4 is not answering", Accessible.AlertMessage])
            verify(item("deviceList").activeFocus)
            keys([Qt.Key_Escape, Qt.Key_Escape]) // the text, then the selection and the outcomes
            settle()
            compare([selectedNames(), line("s3")], [[], "127.0.0.1"])
        }

        // "Save as group" names the selection; the group's button above the
        // list selects its members by host name, one that moved to another
        // address too; a group can be renamed and deleted.
        function test_groups() {
            stores()
            keys([Qt.Key_Down, Qt.Key_Space, Qt.Key_Down, Qt.Key_Down, Qt.Key_Space]) // bar-1, foyer-1
            mouseClick(item("saveGroupButton"))
            verify(item("nameInput").activeFocus)
            keys(["e", "v", "e", Qt.Key_Return])
            verify(!item("nameInputPanel").visible)
            mouseClick(item("clearButton"))
            item("deviceList").model.forget(1) // bar-1, back at another address
            addPlayer("bar-1", "10.77.0.30")
            mouseClick(item("group-eve"))
            compare(selectedNames(), ["bar-1", "foyer-1"])
            mouseClick(item("group-eve"), 5, 5, Qt.RightButton)
            mouseClick(item("renameGroup"))
            keys(["b", "a", "r", Qt.Key_Return])
            verify(item("group-bar") !== null && item("group-eve") === null)
            mouseClick(item("group-bar"), 5, 5, Qt.RightButton)
            mouseClick(item("deleteGroup"))
            compare([playerGroups.count, selectedNames()], [0, ["bar-1", "foyer-1"]])
        }

        // Typing filters the rows by name (the header says what was typed);
        // the focus and the selection stay on their players, and the focus
        // comes back to its player when it is shown again; Escape clears the
        // text, then the selection.
        function test_filter() {
            stores()
            keys([Qt.Key_Down, Qt.Key_Space, Qt.Key_Down, Qt.Key_Down, Qt.Key_Down]) // bar-1 selected, on foyer-2
            var list = item("deviceList")
            keys(["f", "o"])
            settle()
            compare([item("hostname").text, lines(list, "line1"), framed(scene), selectedNames()],
                    ["Find: fo", ["foyer-1", "foyer-2"], ["foyer-2"], []])
            keyClick("x")
            compare(list.count, 0)
            keyClick(Qt.Key_Backspace)
            settle()
            compare([lines(list, "line1"), framed(scene)], [["foyer-1", "foyer-2"], ["foyer-2"]])
            keyClick(Qt.Key_A, Qt.ControlModifier)
            keyClick(Qt.Key_Escape)
            settle()
            compare([item("hostname").text, lines(list, "line1"), framed(scene), selectedNames()],
                    ["", ["alpha", "bar-1", "bar-2", "foyer-1", "foyer-2"], ["foyer-2"], ["bar-1", "foyer-1", "foyer-2"]])
            keyClick(Qt.Key_Escape)
            compare(selectedNames(), [])
        }

        // A row's second line says what its player plays, as plain text.
        function test_rowSaysWhatPlays_data() {
            var markup = '<img src="qrc:///siglogo.gif" width="200" height="200"><b>Tide</b>'
            return [{ tag: "nothing yet", answer: null, line: "10.77.0.5", name: "alpha, 10.77.0.5" },
                    { tag: "Default", answer: { activeIndex: 0 }, line: "10.77.0.5 \u00b7 Default",
                      name: "alpha, 10.77.0.5, playing Default" },
                    { tag: "description", answer: { activeIndex: 2, quintavo: [{ description: "Dawn" }, { description: "Snow" }] },
                      line: "10.77.0.5 \u00b7 Snow", name: "alpha, 10.77.0.5, playing Snow" },
                    { tag: "no description", answer: { activeIndex: 1, quintavo: [{}] }, line: "10.77.0.5 \u00b7 Video 1",
                      name: "alpha, 10.77.0.5, playing Video 1" },
                    { tag: "markup", answer: { activeIndex: 1, quintavo: [{ description: markup }] },
                      line: "10.77.0.5 \u00b7 " + markup, name: "alpha, 10.77.0.5, playing " + markup }]
        }
        function test_rowSaysWhatPlays(data) {
            if (data.answer)
                hub.playerAnswered("10.77.0.5", data.answer)
            var row = rowNamed("alpha")
            compare([row.line2, row.Accessible.name], [data.line, data.name])
            texts(row).forEach(function (text) {
                verify(text.contentHeight < 50, text.contentHeight)
                verify(text.mapToItem(row, 0, 0).x >= 0 && text.mapToItem(row, text.width, 0).x <= row.width)
            })
        }

        // The list tells the directory which rows it shows, so that only their
        // players are asked what they play: wherever it is scrolled to, and
        // none while a player's screen is shown.
        function test_rowsInView() {
            addNumbered(range(1, 29))
            var list = item("deviceList")
            var rowStep = scene.height * scene.clientHeight + scene.listSpacing
            for (var y = 0; y < 10 * rowStep; y += rowStep / 3) {
                list.contentY = list.originY + y // earlier rows above may have moved the origin
                wait(0)
                list.forceLayout()
                // The first and last rows with any part on screen.
                var top = list.contentY + 1, bottom = list.contentY + list.height - 2
                var first = list.indexAt(0, top) >= 0 ? list.indexAt(0, top) : list.indexAt(0, top + rowStep / 2)
                var last = list.indexAt(0, bottom) >= 0 ? list.indexAt(0, bottom) : list.indexAt(0, bottom - rowStep / 2)
                compare(hub.rowsInView(), [first, last], "at " + y)
            }
            mouseClick(list.itemAt(10, list.contentY + rowStep / 2))
            compare(scene.state, "info")
            tryVerify(function () { return hub.rowsInView()[1] === -1 })
        }

        // Markup that would be rendered (a 200-pixel picture) shows as its
        // text, cut short inside its row and between Back and the logo.
        function test_playerTextIsPlain() {
            var markup = '<img src="qrc:///siglogo.gif" width="200" height="200">A very long name, Lobby'
            addPlayer(markup, "10.77.0.9")
            mouseClick(rowNamed(markup))
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
            mouseClick(rowNamed("alpha"))
            answer({ activeIndex: 1, quintavo: [{ description: "a", exists: true }] })
            compare(item("videoList").count, 1)
            mouseClick(item("backButton"))
            compare([scene.state, item("hostname").text, item("ipaddress").text], ["", "", ""])
            verify(item("timer").running && item("mainView").visible && !item("clientView").visible)
            tryCompare(item("backButton"), "opacity", 0)

            mouseClick(rowNamed("beta"))
            compare([item("videoList").count, scene.activeIndex, scene.state, hub.queried],
                    [0, -1, "info", ["10.77.0.5", "10.77.0.6"]])
            compare(chrome(item("defaultVideo")).state, "")
            compare([item("hostname").text, item("ipaddress").text], ["beta", "10.77.0.6"])
            verify(!item("timer").running && !item("mainView").visible && item("clientView").visible)
            verify(item("clientView").opacity < 1)
            tryCompare(item("clientView"), "opacity", 1)
            tryCompare(item("backButton"), "opacity", 1)
            hub.activeClient.hostname = "renamed"
            compare(item("hostname").text, "renamed")
            mouseClick(item("defaultVideo"))
            compare([hub.switched, chrome(item("defaultVideo")).state], [[0], "active"])
        }

        // Keys move the focus and stop at either end; the first key puts it on
        // the first row; the list scrolls to it; Return then does what a tap
        // on the row does.
        function test_playerListKeys_data() {
            var down = Qt.Key_Down, up = Qt.Key_Up, pageDown = Qt.Key_PageDown, pageUp = Qt.Key_PageUp
            return [{ tag: "none", keys: [], row: 0 }, { tag: "Down Up Up", keys: [down, up, up], row: 0 },
                    { tag: "Down Page Down", keys: [down, pageDown], row: 8 },
                    { tag: "to the end", keys: [down, pageDown, pageDown, pageDown, down], row: 19 },
                    { tag: "Page Up", keys: [down, pageDown, pageDown, pageDown, pageUp], row: 11 }]
        }
        function test_playerListKeys(data) {
            addNumbered(range(1, 19))
            scene.forceActiveFocus() // as at start: no row has the keyboard focus yet
            var list = item("deviceList")
            keys(data.keys)
            var row = list.itemAtIndex(data.row)
            compare(framed(list), data.keys.length ? [row.line1] : [])
            if (!data.keys.length)
                return
            verify(inView(list, row), row.y - list.contentY)
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

        // The timer scans while the list is shown and never while a player's
        // screen is; F5 scans at once on either.
        function test_timerScansOnMainScreenOnly() {
            var timer = item("timer")
            var interval = timer.interval
            timer.interval = 20
            tryVerify(function () { return hub.scanCount >= 2 })
            addPlayer("alpha", "10.77.0.5") // listed again, however many scans it missed
            mouseClick(rowNamed("alpha"))
            var scans = hub.scanCount
            wait(10 * timer.interval)
            compare(hub.scanCount, scans)
            keyClick(Qt.Key_F5)
            compare(hub.scanCount, scans + 1)
            keyClick(Qt.Key_Escape)
            tryVerify(function () { return hub.scanCount >= scans + 3 })
            timer.interval = interval
        }

        // Screen readers hear the duration in words, and which one plays.
        function test_durations_data() {
            return [[125, "2 minutes 5 seconds"], [65, "1 minutes 5 seconds", "1 minute 5 seconds"],
                    [61, "1 minutes 1 seconds", "1 minute 1 second"], [undefined, "unknown"]]
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
                    { description: "", exists: true }, { exists: true }, { description: 5, exists: "yes" }, "junk"] })
            compare(lines(item("videoList"), "line1"), ["First", "Second", "Video 3", "Video 4", "Video 5", "Video 6"])
            compare(lines(item("videoList"), "available"), [true, false, true, true, false, false])
            compare(rows(item("videoList"))[1].Accessible.name, "Second, duration unknown, playing, not available")
        }

        // A tap highlights the video at once and asks the player for it; the
        // player's answer then says what plays.
        function test_tap() {
            mouseClick(rowNamed("alpha"))
            answer({ activeIndex: 1, quintavo: [{ exists: true }, { exists: true }, { exists: true }] })
            mouseClick(rows(item("videoList"))[2])
            compare([hub.switched, scene.activeIndex], [[3], 3])
            answer({ activeIndex: 1, quintavo: [{ exists: true }, { exists: true }, { exists: true }] })
            compare(scene.activeIndex, 1)
        }

        function test_updateNotice() {
            var notice = item("updateInfo")
            hub.newUpdate("1.0.0", "Quiet", "", false)
            verify(!notice.visible)
            hub.newUpdate("1.0.0", "First", "", true)
            verify(notice.visible)
            hub.newUpdate("1.0.0", "<b>Second</b><br/>Fish &amp; chips&nbsp;&lt;3 &#8364;5 &#x41; &bogus; <!-- x -->", "", true)
            compare([notice.visible, notice.Accessible.name], [true, "Second Fish & chips <3 €5 A &bogus;"])
            mouseClick(notice, 5, 5)
            verify(!notice.visible)
        }

        // A tap on the notice's link opens it and leaves the notice; a tap
        // elsewhere closes it. (Which links it holds: tst_Protocol::noticeMarkup.)
        function test_links() {
            var before = probe.openedUrls.length, link = "http://u.example/new"
            hub.newUpdate("1.0.0", '<a href="' + link + '">Get it now</a><br/><br/>Plain text', "", true)
            var text = item("updateText")
            mouseClick(text, 5, 5)
            verify(item("updateInfo").visible)
            compare(probe.openedUrls.slice(before), [link])
            mouseClick(text, 5, text.height - 5)
            compare([item("updateInfo").visible, probe.openedUrls.length - before], [false, 1])
        }
    }
}
