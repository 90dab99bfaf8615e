import QtQuick
import Tolvan

// A secondary action: a pill outlined in `borderColor` on Surface, with an
// optional symbol before its title; with `matchesPrimaryButton` the same box
// as the primary button beside it.
ButtonBase {
    id: control

    property color foregroundColor: Theme.textPrimary
    property color borderColor: Theme.border
    property bool matchesPrimaryButton: false
    property string symbol

    implicitWidth: label.implicitWidth + 2 * (matchesPrimaryButton ? 14 : 12)
    implicitHeight: matchesPrimaryButton ? label.implicitHeight + 18 : 28
    opacity: !enabled ? 0.4 : down ? 0.7 : 1.0
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: click()

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.surface
        border.width: 1
        border.color: control.borderColor
        FocusRing {
            control: control
        }
    }

    Row {
        id: label

        anchors.centerIn: parent
        spacing: 2
        StaticIcon {
            anchors.verticalCenter: parent.verticalCenter
            visible: control.symbol.length > 0
            systemName: control.symbol
            size: 13
            color: control.foregroundColor
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.text
            font: control.matchesPrimaryButton ? Theme.font(12, Font.DemiBold) : Theme.font(11)
            color: control.foregroundColor
        }
    }
}
