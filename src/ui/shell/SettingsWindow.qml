import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The Settings window, as tall as its content: it grows when a message
// appears. Its height has no maximum, which would clamp that growth.
ApplicationWindow {
    id: window

    readonly property int contentHeight: Math.max(600, view.implicitHeight + 48)

    title: qsTr("Settings")
    color: Theme.canvas
    width: 640
    height: contentHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: contentHeight

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

    // Built the first time the plans are presented.
    Loader {
        anchors.fill: parent
        active: BillingStore.isPresentingPlans || status === Loader.Ready
        sourceComponent: BillingPlanSheet {}
    }
}
