import QtQuick
import Tolvan

// A workspace's result: selectable and copyable with the mouse or the
// keyboard, scrolling inside its area; the placeholder while there is none.
TextScrollArea {
    property string result

    editor.text: result
    editor.readOnly: true
    editor.selectByKeyboard: true
}
