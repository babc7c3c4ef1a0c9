import QtQml 2.2

// Keyboard paging through a column of rows, as both screens page: Up and Down
// move the focus by one row, Page Up and Page Down by the rows that one
// screen holds, stopping at either end.
QtObject {
    // The height the rows are seen in, and one row's height with its spacing.
    property real viewHeight: 0
    property real rowPitch: 1

    // How far a key moves the focus; 0 for a key that does not page.
    function stepOf(key) {
        var page = Math.max(1, Math.floor(viewHeight / rowPitch))
        switch (key) {
        case Qt.Key_Down: return 1
        case Qt.Key_Up: return -1
        case Qt.Key_PageDown: return page
        case Qt.Key_PageUp: return -page
        }
        return 0
    }

    // The row the focus moves to by step, among rows 0 to last, from row
    // `from`; from no row (-1) the first key lands on the first row, a page
    // down on the last row of the first page.
    function target(from, step, last) {
        var to = from < 0 ? Math.max(0, step - 1) : from + step
        return Math.max(0, Math.min(last, to))
    }
}
