import QtQuick
import Tolvan

// Work in progress: a ring of dots turning while `running` and shown.
Item {
    id: root

    property bool running: true

    implicitWidth: 20
    implicitHeight: 20
    Accessible.ignored: true

    Item {
        id: wheel

        readonly property real dot: Math.max(2, Math.round(Math.min(root.width, root.height) * 0.18))
        readonly property real reach: (Math.min(root.width, root.height) - dot) / 2

        anchors.centerIn: parent
        width: Math.min(root.width, root.height)
        height: width

        Repeater {
            model: 8

            Rectangle {
                required property int index
                readonly property real angle: index * Math.PI / 4

                x: wheel.width / 2 + wheel.reach * Math.cos(angle) - width / 2
                y: wheel.height / 2 + wheel.reach * Math.sin(angle) - height / 2
                width: wheel.dot
                height: wheel.dot
                radius: width / 2
                color: Theme.textSecondary
                opacity: (index + 1) / 8
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
            running: root.running && root.visible
        }
    }
}
