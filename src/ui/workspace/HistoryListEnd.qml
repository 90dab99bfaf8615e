import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// What follows the last history row: loading, the list's failure with
// "Retry", the empty state, or "Load more".
Item {
    implicitHeight: column.implicitHeight + 24

    ColumnLayout {
        id: column

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: 12
        spacing: 8

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            visible: HistoryStore.listEnd === HistoryStore.Loading
            spacing: 8

            ProgressSpinner {
                Layout.preferredWidth: 20
                Layout.preferredHeight: 20
                running: parent.visible
            }
            Label {
                text: HistoryStore.loadingText
                font: Theme.font(12)
                color: Theme.textSecondary
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            visible: HistoryStore.listEnd === HistoryStore.Message
            spacing: 8

            TextEdit {
                Layout.fillWidth: true
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                horizontalAlignment: TextEdit.AlignHCenter
                text: HistoryStore.message
                font: Theme.font(12)
                color: Theme.textSecondary
                selectionColor: Theme.accent
                selectedTextColor: Theme.onAccent
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            SettingsActionButton {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Retry")
                onClicked: HistoryStore.retryList()
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 32
            visible: HistoryStore.listEnd === HistoryStore.Empty
            spacing: 6

            Label {
                Layout.alignment: Qt.AlignHCenter
                text: HistoryStore.emptyTitle
                font: Theme.font(16)
                color: Theme.textPrimary
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Successful translations and writing improvements appear here.")
                font: Theme.font(12)
                color: Theme.textSecondary
            }
        }

        SettingsActionButton {
            Layout.alignment: Qt.AlignHCenter
            visible: HistoryStore.listEnd === HistoryStore.LoadMore
            text: qsTr("Load more")
            onClicked: HistoryStore.loadMore()
        }
    }
}
