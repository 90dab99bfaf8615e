import QtQuick
import Tolvan

// The keyboard focus ring drawn around a control that has the focus from the keyboard.
Rectangle {
    property Item control: parent
    property real radius_: height / 2

    anchors.fill: parent
    anchors.margins: -3
    radius: radius_ + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.accent
    visible: control && control.visualFocus === true
}
