import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The subscription block of the Settings window: the plan, its status and
// the one action the state allows. "View plans" presents the plans, which the
// window's plan sheet shows.
ColumnLayout {
    spacing: 8

    RowLayout {
        Layout.fillWidth: true
        Layout.minimumHeight: 64
        spacing: 16

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: false
            Layout.alignment: Qt.AlignVCenter
            spacing: 4

            Label {
                text: BillingStore.planTitle
                font: Theme.font(13)
                color: Theme.textPrimary
            }
            Label {
                Layout.fillWidth: true
                text: BillingStore.statusText
                font: Theme.font(11)
                color: Theme.textSecondary
                elide: Text.ElideRight
            }
        }

        ProgressSpinner {
            Layout.preferredWidth: 20
            Layout.preferredHeight: 20
            visible: BillingStore.settingsControl === BillingStore.Progress
        }
        SettingsActionButton {
            visible: BillingStore.settingsControl === BillingStore.Retry
            text: qsTr("Retry")
            onClicked: BillingStore.startLoad(true)
        }
        SettingsActionButton {
            visible: BillingStore.settingsControl === BillingStore.ViewPlans
            text: qsTr("View plans")
            onClicked: BillingStore.presentPlans()
        }
        SettingsActionButton {
            visible: BillingStore.settingsControl === BillingStore.Manage
            text: BillingStore.manageButtonTitle
            enabled: !BillingStore.hasActiveAction
            onClicked: BillingStore.openPortal()
        }
    }

    TextEdit {
        Layout.fillWidth: true
        Layout.bottomMargin: 16
        visible: BillingStore.hasMessage
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        text: BillingStore.message
        font: Theme.font(11)
        color: Theme.textSecondary
        selectionColor: Theme.accent
        selectedTextColor: Theme.onAccent
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
