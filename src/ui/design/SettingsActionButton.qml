import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The action buttons of the Settings window.
Button {
    id: control

    leftPadding: 10
    rightPadding: 10
    topPadding: 7
    bottomPadding: 7
    opacity: !enabled ? 0.4 : down ? 0.7 : 1.0
    font: Theme.font(12, Font.Medium)
    Accessible.name: text

    contentItem: Text {
        text: control.text
        font: control.font
        color: Theme.textPrimary
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        radius: height / 2
        color: Theme.elevatedControl
        border.width: 1
        border.color: Theme.border
        FocusRing {
            control: control
        }
    }
}
