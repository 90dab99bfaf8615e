import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Tolvan

// A modal question over its window: a title, what will happen, and the
// confirming button before "Cancel". Escape cancels; a destructive question
// starts with the focus on "Cancel".
Dialog {
    id: dialog

    property string message
    property string confirmTitle
    property bool isDestructive: false

    signal confirmed

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(420, parent ? parent.width - 48 : 420)
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: 20
    topPadding: 20

    onOpened: (isDestructive ? cancelButton : confirmButton).forceActiveFocus()

    background: Rectangle {
        color: Theme.surface
        radius: 12
        border.width: 1
        border.color: Theme.border
    }

    T.Overlay.modal: Rectangle {
        color: Theme.isDark ? "#80000000" : "#40000000"
    }

    header: Item {}

    contentItem: ColumnLayout {
        spacing: 10

        Label {
            Layout.fillWidth: true
            text: dialog.title
            font: Theme.font(14, Font.DemiBold)
            color: Theme.textPrimary
            wrapMode: Text.Wrap
        }
        Label {
            Layout.fillWidth: true
            text: dialog.message
            font: Theme.font(13)
            color: Theme.textSecondary
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.topMargin: 10
            Layout.alignment: Qt.AlignRight
            spacing: 10

            OutlinedActionButton {
                id: confirmButton

                text: dialog.confirmTitle
                matchesPrimaryButton: true
                foregroundColor: dialog.isDestructive ? Theme.destructive : Theme.textPrimary
                borderColor: dialog.isDestructive ? Theme.destructive : Theme.border
                KeyNavigation.right: cancelButton
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: {
                    dialog.confirmed()
                    dialog.close()
                }
            }
            OutlinedActionButton {
                id: cancelButton

                text: qsTr("Cancel")
                matchesPrimaryButton: true
                KeyNavigation.left: confirmButton
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: dialog.close()
            }
        }
    }
}
