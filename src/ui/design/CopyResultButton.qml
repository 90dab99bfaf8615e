import QtQuick
import Tolvan

// Copies a workspace's result to the clipboard and says so until `copied` is
// turned back by the screen's Clear.
OutlinedActionButton {
    id: control

    property string result
    property bool copied: false

    text: copied ? qsTr("Copied") : qsTr("Copy")
    symbol: copied ? "checkmark" : "doc.on.doc"
    enabled: result.length > 0
    onClicked: copied = Clipboard.copyText(result)
}
