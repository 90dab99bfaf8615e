import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// Shown when the saved session needs attention: the reason, and the way on.
Item {
    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(parent.width - 48, 520)
        spacing: 16

        Label {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Unable to restore your session")
            font: Theme.font(16)
            color: Theme.textPrimary
        }

        TextEdit {
            Layout.fillWidth: true
            readOnly: true
            selectByMouse: true
            selectByKeyboard: true
            wrapMode: TextEdit.Wrap
            horizontalAlignment: TextEdit.AlignHCenter
            text: AuthStore.hasMessage ? AuthStore.message : qsTr("Please try again.")
            font: Theme.font(13)
            color: Theme.textSecondary
            selectionColor: Theme.accent
            selectedTextColor: Theme.onAccent
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12
            enabled: !AuthStore.isBusy

            OutlinedActionButton {
                text: qsTr("Retry")
                matchesPrimaryButton: true
                onClicked: AuthStore.startRetry()
            }
            OutlinedActionButton {
                text: qsTr("Sign out")
                matchesPrimaryButton: true
                onClicked: AuthStore.startSignOut()
            }
        }
    }
}
