import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// A workspace's result: selectable and copyable with the mouse or the
// keyboard, scrolling inside its area; the placeholder while there is none.
ScrollView {
    id: root

    property string result
    property string placeholder
    property string accessibilityLabel

    clip: true
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    TextArea {
        text: root.result
        readOnly: true
        textFormat: TextEdit.PlainText
        wrapMode: TextEdit.Wrap
        selectByMouse: true
        selectByKeyboard: true
        persistentSelection: true
        activeFocusOnTab: true
        font: Theme.font(16)
        color: Theme.textPrimary
        selectionColor: Theme.accent
        selectedTextColor: Theme.onAccent
        placeholderText: root.placeholder
        placeholderTextColor: Theme.textSecondary
        background: null
        leftPadding: 0
        rightPadding: 0
        Accessible.name: root.accessibilityLabel
    }
}
