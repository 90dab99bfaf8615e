import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The Write workspace.
Item {
    required property WorkspaceContent content

    Label {
        x: 24
        y: 16
        text: qsTr("Write")
        font: Theme.font(16)
        color: Theme.textPrimary
    }
}
