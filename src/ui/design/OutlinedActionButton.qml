import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// A secondary action: a pill outlined in `borderColor` on Surface, with an
// optional symbol before its title; with `matchesPrimaryButton` the same box
// as the primary button beside it.
Button {
    id: control

    property color foregroundColor: Theme.textPrimary
    property color borderColor: Theme.border
    property bool matchesPrimaryButton: false
    property string symbol

    leftPadding: matchesPrimaryButton ? 14 : 12
    rightPadding: leftPadding
    topPadding: matchesPrimaryButton ? 9 : 0
    bottomPadding: topPadding
    implicitHeight: matchesPrimaryButton ? implicitContentHeight + topPadding + bottomPadding : 28
    opacity: !enabled ? 0.4 : down ? 0.7 : 1.0
    font: matchesPrimaryButton ? Theme.font(12, Font.DemiBold) : Theme.font(11)
    Accessible.name: text

    contentItem: Item {
        implicitWidth: label.implicitWidth
        implicitHeight: label.implicitHeight

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
                font: control.font
                color: control.foregroundColor
            }
        }
    }

    background: Rectangle {
        radius: height / 2
        color: Theme.surface
        border.width: 1
        border.color: control.borderColor
        FocusRing {
            control: control
        }
    }
}
