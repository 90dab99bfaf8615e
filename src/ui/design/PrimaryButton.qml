import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The main action of a screen: an accent capsule that Ctrl+Return triggers
// from anywhere in its window while it is enabled.
Button {
    id: control

    property bool hasShortcut: true
    property string shortcutLabel: qsTr("Ctrl+↵")

    leftPadding: 14
    rightPadding: 14
    topPadding: 9
    bottomPadding: 9
    opacity: enabled ? 1.0 : 0.5
    Accessible.name: text

    contentItem: Row {
        spacing: 14
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.text
            font: Theme.font(12, Font.DemiBold)
            color: Theme.onAccent
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: control.hasShortcut
            text: control.shortcutLabel
            font: Theme.font(11)
            color: Theme.onAccent
            Accessible.ignored: true
        }
    }

    background: Rectangle {
        implicitHeight: 32
        radius: height / 2
        color: control.down ? Qt.darker(Theme.accent, 1.15) : Theme.accent
        FocusRing {
            control: control
        }
    }

    Shortcut {
        sequences: ["Ctrl+Return", "Ctrl+Enter"]
        enabled: control.hasShortcut && control.enabled && control.visible
        onActivated: control.clicked()
    }
}
