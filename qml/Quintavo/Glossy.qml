import QtQuick 2.0

// Glass sheen for an outlined rectangle with rounded corners: it covers the
// inner half of the parent's outline and follows the parent's size and radius.
Rectangle {
    anchors.centerIn: parent
    width: parent.width - parent.border.width
    height: parent.height - parent.border.width
    radius: parent.radius - parent.border.width / 2
    border.width: parent.border.width / 2
    border.color: Theme.glossOutline
    smooth: true

    // The stops at 0.5 and 0.501 draw a hard horizon across the middle.
    gradient: Gradient {
        GradientStop { position: 0; color: Theme.glossTop }
        GradientStop { position: 0.1; color: Theme.glossUpper }
        GradientStop { position: 0.5; color: Theme.glossAboveHorizon }
        GradientStop { position: 0.501; color: Theme.glossBelowHorizon }
        GradientStop { position: 0.8; color: Theme.glossLower }
        GradientStop { position: 1; color: Theme.glossBottom }
    }
}
