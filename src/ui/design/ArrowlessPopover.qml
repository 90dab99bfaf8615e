import QtQuick
import QtQuick.Window
import Tolvan

// A popover without an arrow, in a frameless window of its own under its
// anchor (this item, laid over the control that opens it), so it may reach
// past the edges of its window.
Item {
    id: root

    property bool isPresented: false
    default property alias content: panel.data

    anchors.fill: parent

    Window {
        id: popup

        flags: Qt.Tool | Qt.FramelessWindowHint
        color: Theme.surface
        width: panel.childrenRect.width
        height: panel.childrenRect.height

        Rectangle {
            anchors.fill: parent
            color: "transparent"
            border.width: 1
            border.color: Theme.border
            z: 1
        }

        Item {
            id: panel

            anchors.fill: parent
        }
    }

    PopoverController {
        id: controller

        anchor: root
        popup: popup
        isPresented: root.isPresented
        onIsPresentedChanged: root.isPresented = isPresented
    }
}
