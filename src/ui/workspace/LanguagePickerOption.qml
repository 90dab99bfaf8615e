import QtQuick
import Tolvan

// One language in the picker; the chosen one in the accent colour.
ButtonBase {
    id: control

    required property var language
    property bool isSelected: false
    // The keyboard's place in the grid.
    property bool isCurrent: false

    implicitHeight: 30
    activeFocusOnTab: false
    Accessible.role: Accessible.Button
    Accessible.name: language.name
    Accessible.onPressAction: click()
    Accessible.selected: isSelected
    Accessible.selectable: true

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: control.isSelected ? Theme.accent : control.hovered ? Theme.controlBackground : Theme.surface
        border.width: control.isCurrent ? 2 : 0
        border.color: control.isSelected ? Theme.onAccent : Theme.accent
    }

    Item {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 8

        Text {
            anchors.left: parent.left
            anchors.right: mark.left
            anchors.verticalCenter: parent.verticalCenter
            text: control.language.name
            elide: Text.ElideRight
            font: Theme.font(13)
            color: control.isSelected ? Theme.onAccent : Theme.textPrimary
        }
        StaticIcon {
            id: mark

            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            visible: control.isSelected
            systemName: "checkmark"
            size: 14
            color: Theme.onAccent
        }
    }
}
