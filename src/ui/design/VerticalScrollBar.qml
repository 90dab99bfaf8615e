import QtQuick
import Tolvan

// The scroll bar of a Flickable whose content is taller than it, placed as
// its sibling: laid over its right edge, with a handle that follows the
// content and can be dragged, or a press on the bar to jump there.
Item {
    id: root

    required property Flickable flickable
    readonly property real handleHeight: Math.max(24, flickable.visibleArea.heightRatio * height)

    anchors.top: flickable.top
    anchors.bottom: flickable.bottom
    anchors.right: flickable.right
    width: 10
    visible: flickable.contentHeight > flickable.height
    Accessible.ignored: true

    Rectangle {
        id: handle

        x: 3
        y: Math.min(root.height - height, root.flickable.visibleArea.yPosition * root.height)
        width: pointer.containsMouse || pointer.pressed ? 6 : 4
        height: root.handleHeight
        radius: width / 2
        color: Theme.textSecondary
        opacity: pointer.pressed ? 0.8 : pointer.containsMouse ? 0.6 : 0.4
    }

    MouseArea {
        id: pointer

        property real grabOffset: 0

        anchors.fill: parent
        hoverEnabled: true
        onPressed: mouse => {
            const onHandle = mouse.y >= handle.y && mouse.y <= handle.y + handle.height;
            grabOffset = onHandle ? mouse.y - handle.y : root.handleHeight / 2;
            scrollTo(mouse.y);
        }
        onPositionChanged: mouse => {
            if (pressed)
                scrollTo(mouse.y);
        }

        function scrollTo(y) {
            const track = root.height - root.handleHeight;
            const fraction = track > 0 ? Math.max(0, Math.min(1, (y - grabOffset) / track)) : 0;
            root.flickable.contentY = fraction * (root.flickable.contentHeight - root.flickable.height);
        }
    }
}
