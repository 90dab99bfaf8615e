import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The multi-line plain-text editor of the Translate and Write screens. It
// reports every paste that changed the text, once, after `edited` has
// delivered the new text.
ScrollView {
    id: root

    property string text
    property bool requestFocus: false
    property string accessibilityLabel

    signal edited(string text)
    signal pasted()
    signal focusRequestHandled()

    clip: true
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    TextArea {
        id: area

        textFormat: TextEdit.PlainText
        wrapMode: TextEdit.Wrap
        font: Theme.font(16)
        color: Theme.textPrimary
        selectionColor: Theme.accent
        selectedTextColor: Theme.onAccent
        selectByMouse: true
        persistentSelection: true
        background: null
        leftPadding: 0
        rightPadding: 0
        Accessible.name: root.accessibilityLabel

        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: contextMenu.popup()
        }

        Menu {
            id: contextMenu

            MenuItem {
                text: qsTr("Cut")
                enabled: area.selectedText.length > 0
                onTriggered: area.cut()
            }
            MenuItem {
                text: qsTr("Copy")
                enabled: area.selectedText.length > 0
                onTriggered: area.copy()
            }
            MenuItem {
                text: qsTr("Paste")
                enabled: area.canPaste
                onTriggered: view.paste()
            }
            MenuSeparator {}
            MenuItem {
                text: qsTr("Select All")
                onTriggered: area.selectAll()
            }
        }
    }

    PasteTextView {
        id: view

        editor: area
        text: root.text
        wantsFocus: root.requestFocus
        onEdited: text => root.edited(text)
        onPasted: root.pasted()
        onFocusRequestHandled: root.focusRequestHandled()
    }
}
