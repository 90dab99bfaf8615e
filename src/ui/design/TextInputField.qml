import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// A one-line text field with a rounded border.
TextField {
    id: control

    property string accessibleName: placeholderText

    font: Theme.font(13)
    color: Theme.textPrimary
    placeholderTextColor: Theme.textSecondary
    selectionColor: Theme.accent
    selectedTextColor: Theme.onAccent
    leftPadding: 10
    rightPadding: 10
    topPadding: 7
    bottomPadding: 7
    selectByMouse: true
    Accessible.name: accessibleName

    background: Rectangle {
        implicitWidth: 200
        radius: 7
        color: Theme.canvas
        border.width: control.activeFocus ? 2 : 1
        border.color: control.activeFocus ? Theme.accent : Theme.border
    }
}
