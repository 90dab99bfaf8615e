import QtQuick
import Tolvan

// A one-line text field with a rounded border and a placeholder.
TextInput {
    id: control

    property string placeholderText
    property string accessibleName: placeholderText

    font: Theme.font(13)
    color: Theme.textPrimary
    selectionColor: Theme.accent
    selectedTextColor: Theme.onAccent
    leftPadding: 10
    rightPadding: 10
    topPadding: 7
    bottomPadding: 7
    verticalAlignment: TextInput.AlignVCenter
    clip: true
    selectByMouse: true
    activeFocusOnTab: true
    Accessible.name: accessibleName

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: 7
        color: Theme.canvas
        border.width: control.activeFocus ? 2 : 1
        border.color: control.activeFocus ? Theme.accent : Theme.border
    }

    Text {
        x: control.leftPadding
        width: control.width - control.leftPadding - control.rightPadding
        anchors.verticalCenter: parent.verticalCenter
        visible: control.length === 0 && control.preeditText.length === 0
        text: control.placeholderText
        font: control.font
        color: Theme.textSecondary
        elide: Text.ElideRight
        Accessible.ignored: true
    }
}
