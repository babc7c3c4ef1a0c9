pragma Singleton
import QtQuick 2.0

// The scene's look in one place: its colours, fonts, outlines and fades.
// Every part draws with these and with no literal of its own.
QtObject {
    // Texts: the family of the entries', the header's and the version's
    // texts (others take the default family), and the point sizes.
    readonly property string fontFamily: "arial"
    readonly property real titleSize: 16 // an entry's first line, the header's name, "No Players Found"
    readonly property real detailSize: 8 // an entry's second line, the header's address, the version, notes
    readonly property real labelSize: 10 // the buttons and prompts of bars, menus and panels
    readonly property real messageSize: 9 // a refusal, the sum of a switch
    readonly property real inputSize: 11 // the text typed

    // Text colours: on the background and on dark fills; on the active look's
    // light fill; typed on a white field; a refusal.
    readonly property color text: "white"
    readonly property color activeText: "black"
    readonly property color inputText: "black"
    readonly property color refusalText: "#ffb0a0"

    // Outlines, white: of entries, of the buttons and panels over the list,
    // the thick one of a selected entry, and the thin one of the logo and the
    // selection bar. Corner radii: of entries, of the row menu and of the
    // notice; of the small buttons; of the typing field; of the selected
    // look's box.
    readonly property color outline: "white"
    readonly property int outlineWidth: 2
    readonly property int selectedOutlineWidth: 4
    readonly property int thinOutlineWidth: 1
    readonly property int entryRadius: 10
    readonly property int buttonRadius: 8
    readonly property int inputRadius: 4
    readonly property int markRadius: 3

    // An entry's looks: its base fill (the background shows through), the
    // selected green (the box on it is white, its tick green), the disabled
    // red, the active light blue; how far a dimmed and a disabled one fade;
    // how much a held one grows.
    readonly property color entryFill: "transparent"
    readonly property color selectedFill: "#2e7d32"
    readonly property color selectedMark: "white"
    readonly property color disabledFill: "red"
    readonly property color activeFill: "lightblue"
    readonly property real dimmedOpacity: 0.45
    readonly property real disabledOpacity: 0.5
    readonly property real pressedScale: 1.2

    // The keyboard's focus frame, inside an entry and inside a bar's button;
    // the frame fills nothing.
    readonly property color focusFrame: "#ffc20e"
    readonly property int focusFrameWidth: 3
    readonly property int buttonFocusFrameWidth: 2
    readonly property int buttonFocusFrameRadius: 6
    readonly property color noFill: "transparent"

    // The header bar, and its Back button.
    readonly property color headerFill: "#8088a4"
    readonly property color backFill: "#ffffff"

    // Over the list: the buttons and menus (held, or a group's menu open, a
    // lighter blue), the name panel's buttons, and the see-through panels
    // (the name panel, the selection bar, its entries to play, the port
    // notice). The typing field and the update notice are white. The screens
    // under the header fill nothing: the background picture shows.
    readonly property color panelFill: "#303850"
    readonly property color pressedFill: "#506080"
    readonly property color darkButtonFill: "#202838"
    readonly property color namePanelFill: "#f0303850"
    readonly property color selectionBarFill: "#e0202838"
    readonly property color choicesFill: "#f0202838"
    readonly property color portNoticeFill: "#d0202838"
    readonly property color inputFill: "white"
    readonly property color noticeFill: "white"
    readonly property color screenFill: "transparent"

    // The glass sheen on entries: its inner outline and its gradient from top
    // to bottom, with a hard horizon between the middle two stops.
    readonly property color glossOutline: "#22FFFFFF"
    readonly property color glossTop: "#88FFFFFF"
    readonly property color glossUpper: "#55FFFFFF"
    readonly property color glossAboveHorizon: "#33FFFFFF"
    readonly property color glossBelowHorizon: "#11000000"
    readonly property color glossLower: "#11FFFFFF"
    readonly property color glossBottom: "#55FFFFFF"
}
