import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The Settings window, exactly the size of its content.
ApplicationWindow {
    id: window

    title: qsTr("Settings")
    color: Theme.canvas
    width: 640
    height: Math.max(600, view.implicitHeight + 48)
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Scenes.closeKeyWindow()
    }

    SettingsView {
        id: view

        x: 24
        y: 24
        width: window.width - 48
    }
}
