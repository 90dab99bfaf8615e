import QtQuick
import Tolvan

// The main action of a screen: an accent capsule that Ctrl+Return triggers
// from anywhere in its window while it is enabled.
ButtonBase {
    id: control

    property bool hasShortcut: true
    property string shortcutLabel: qsTr("Ctrl+↵")

    implicitWidth: label.implicitWidth + 28
    implicitHeight: Math.max(32, label.implicitHeight + 18)
    opacity: enabled ? 1.0 : 0.5
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: click()

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: control.down ? Qt.darker(Theme.accent, 1.15) : Theme.accent
        FocusRing {
            control: control
        }
    }

    Row {
        id: label

        anchors.centerIn: parent
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

    Shortcut {
        sequences: ["Ctrl+Return", "Ctrl+Enter"]
        enabled: control.hasShortcut && control.enabled && control.visible
        onActivated: control.clicked()
    }
}
