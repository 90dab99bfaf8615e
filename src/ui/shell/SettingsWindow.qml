import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The Settings window, exactly the size of its content.
ApplicationWindow {
    id: window

    title: qsTr("Settings")
    color: Theme.canvas
    width: content.implicitWidth
    height: content.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Scenes.closeKeyWindow()
    }

    ColumnLayout {
        id: content

        anchors.fill: parent

        Label {
            Layout.margins: 24
            Layout.preferredWidth: 560 - 48
            text: qsTr("Settings")
            font: Theme.font(16)
            color: Theme.textPrimary
        }
    }
}
