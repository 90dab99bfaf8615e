import QtQuick
import QtQuick.Layouts
import Tolvan

// A workspace's one-line status, as its store words it; the message can be
// selected and copied.
RowLayout {
    id: root

    required property var status

    spacing: 6

    ProgressSpinner {
        visible: root.status.kind === StatusKind.Progress
        Layout.preferredWidth: 16
        Layout.preferredHeight: 16
    }
    StaticIcon {
        visible: root.status.kind === StatusKind.Success || root.status.kind === StatusKind.Failure
        systemName: root.status.kind === StatusKind.Success ? "checkmark.circle.fill" : "exclamationmark.circle"
        size: 15
        color: root.status.kind === StatusKind.Success ? Theme.success : Theme.textSecondary
    }
    TextEdit {
        Layout.fillWidth: true
        visible: root.status.kind !== StatusKind.None
        text: root.status.text
        readOnly: true
        selectByMouse: true
        selectByKeyboard: true
        activeFocusOnTab: true
        wrapMode: TextEdit.Wrap
        font: Theme.font(12)
        color: Theme.textSecondary
        selectionColor: Theme.accent
        selectedTextColor: Theme.onAccent
        Accessible.role: Accessible.StaticText
        Accessible.name: root.status.accessibilityLabel
    }
}
