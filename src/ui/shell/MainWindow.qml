import QtQuick
import Tolvan

// The main window: the account gate over the whole window.
Window {
    id: window

    title: qsTr("Tolvan")
    minimumWidth: 720
    minimumHeight: 440
    color: Theme.canvas
    Component.onCompleted: Theme.sharePalette(window)

    AccountGate {
        window: window
    }

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Scenes.closeKeyWindow()
    }

    Shortcut {
        sequence: "Ctrl+,"
        onActivated: Scenes.openSettingsWindow()
    }

    AuthRoot {
        anchors.fill: parent
    }
}
