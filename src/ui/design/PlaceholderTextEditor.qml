import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The paste editor with a placeholder shown while it is empty.
PasteTextEditor {
    id: root

    property string placeholder

    accessibilityLabel: placeholder

    Text {
        parent: root
        // Where the editor draws its first line.
        y: 6
        width: root.width
        text: root.placeholder
        visible: root.text.length === 0
        wrapMode: Text.Wrap
        font: Theme.font(16)
        color: Theme.textSecondary
        Accessible.ignored: true
    }
}
