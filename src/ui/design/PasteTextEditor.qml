import QtQuick
import Tolvan

// The multi-line plain-text editor of the Translate and Write screens. It
// reports every paste that changed the text, once, after `edited` has
// delivered the new text.
TextScrollArea {
    id: root

    property string text
    property bool requestFocus: false

    signal edited(string text)
    signal pasted()
    signal focusRequestHandled()

    TapHandler {
        parent: root.editor
        acceptedButtons: Qt.RightButton
        onTapped: menu.popup()
    }

    EditMenu {
        id: menu

        editor: root.editor
        onPasteRequested: view.paste()
    }

    PasteTextView {
        id: view

        editor: root.editor
        text: root.text
        wantsFocus: root.requestFocus
        onEdited: text => root.edited(text)
        onPasted: root.pasted()
        onFocusRequestHandled: root.focusRequestHandled()
    }
}
