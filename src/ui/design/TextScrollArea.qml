import QtQuick
import Tolvan

// A multi-line plain-text area that scrolls inside its bounds and keeps the
// cursor in view, with a placeholder while it is empty. `editor` is its
// TextEdit.
Item {
    id: root

    property alias editor: area
    property string placeholder
    property string accessibilityLabel

    clip: true

    Flickable {
        id: flick

        anchors.fill: parent
        contentWidth: width
        contentHeight: area.height
        boundsBehavior: Flickable.StopAtBounds

        TextEdit {
            id: area

            width: flick.width
            // As tall as the area at least, so a click below the last line
            // still places the cursor.
            height: Math.max(implicitHeight, flick.height)
            topPadding: 6
            bottomPadding: 6
            textFormat: TextEdit.PlainText
            wrapMode: TextEdit.Wrap
            font: Theme.font(16)
            color: Theme.textPrimary
            selectionColor: Theme.accent
            selectedTextColor: Theme.onAccent
            selectByMouse: true
            persistentSelection: true
            activeFocusOnTab: true
            Accessible.role: Accessible.EditableText
            Accessible.name: root.accessibilityLabel
            onCursorRectangleChanged: {
                const bottom = cursorRectangle.y + cursorRectangle.height;
                if (cursorRectangle.y < flick.contentY)
                    flick.contentY = cursorRectangle.y;
                else if (bottom > flick.contentY + flick.height)
                    flick.contentY = bottom - flick.height;
            }
        }

        Text {
            y: area.topPadding
            width: flick.width
            text: root.placeholder
            visible: area.length === 0 && area.preeditText.length === 0
            wrapMode: Text.Wrap
            font: area.font
            color: Theme.textSecondary
            Accessible.ignored: true
        }
    }

    VerticalScrollBar {
        flickable: flick
    }
}
