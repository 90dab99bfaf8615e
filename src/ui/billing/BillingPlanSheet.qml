import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The plans on offer in a modal sheet over the window that holds it. Any
// window may hold one: it opens while the billing store presents the plans
// and its window is the active one (the one where the user asked), polls the
// subscription while open, and tells the store when the user closes it.
Item {
    id: root

    readonly property bool isOpen: sheet.opened

    // A window closed over the open sheet takes it along without closing it.
    Component.onDestruction: {
        if (sheet.opened) {
            BillingStore.stopPolling();
            BillingStore.dismissPlans();
        }
    }

    function followStore() {
        if (!BillingStore.isPresentingPlans)
            sheet.close();
        else if (root.Window.active)
            sheet.open();
    }

    // It is built when the plans are first presented, so it follows the store
    // from its start too.
    Component.onCompleted: followStore()

    Connections {
        target: BillingStore

        function onIsPresentingPlansChanged() {
            root.followStore();
        }
    }

    Popup {
        id: sheet

        anchors.centerIn: parent
        width: 460
        modal: true
        focus: true
        padding: 24
        closePolicy: Popup.CloseOnEscape
        onOpened: BillingStore.startPolling()
        onClosed: {
            BillingStore.stopPolling();
            if (BillingStore.isPresentingPlans)
                BillingStore.dismissPlans();
        }

        background: Rectangle {
            radius: 12
            color: Theme.canvas
            border.width: 1
            border.color: Theme.border
        }

        contentItem: ColumnLayout {
            spacing: 20

            RowLayout {
                Layout.fillWidth: true
                spacing: 12

                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.alignment: Qt.AlignTop
                    spacing: 4
                    Label {
                        text: qsTr("Try Tolvan Pro free")
                        font: Theme.font(16, Font.DemiBold)
                        color: Theme.textPrimary
                    }
                    Label {
                        Layout.fillWidth: true
                        text: qsTr("Choose a plan to translate and improve your writing. Cancel anytime.")
                        wrapMode: Text.Wrap
                        font: Theme.font(13)
                        color: Theme.textSecondary
                    }
                }

                AbstractButton {
                    id: closeButton

                    Layout.alignment: Qt.AlignTop
                    implicitWidth: 24
                    implicitHeight: 24
                    text: qsTr("Close")
                    Accessible.name: qsTr("Close plans")
                    onClicked: BillingStore.dismissPlans()
                    contentItem: StaticIcon {
                        systemName: "xmark"
                        size: 16
                        color: Theme.textSecondary
                    }
                    background: Item {
                        FocusRing {
                            control: closeButton
                        }
                    }
                }
            }

            RowLayout {
                visible: BillingStore.planSheetBody === BillingStore.LoadingPlans
                Layout.fillWidth: true
                Layout.minimumHeight: 120
                Layout.alignment: Qt.AlignHCenter
                spacing: 8
                Item {
                    Layout.fillWidth: true
                }
                ProgressSpinner {
                    running: parent.visible
                    Layout.preferredWidth: 16
                    Layout.preferredHeight: 16
                }
                Label {
                    text: qsTr("Loading plans…")
                    font: Theme.font(13)
                    color: Theme.textSecondary
                }
                Item {
                    Layout.fillWidth: true
                }
            }

            ColumnLayout {
                visible: BillingStore.planSheetBody === BillingStore.PlanList
                Layout.fillWidth: true
                spacing: 20

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Repeater {
                        model: BillingStore.plans
                        BillingPlanRow {
                            required property var modelData
                            Layout.fillWidth: true
                            plan: modelData
                        }
                    }
                }

                SelectableMessage {
                    visible: BillingStore.hasMessage
                    Layout.fillWidth: true
                    text: BillingStore.message
                    font: Theme.font(11)
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    Label {
                        Layout.fillWidth: true
                        text: BillingStore.checkoutNote
                        wrapMode: Text.Wrap
                        font: Theme.font(11)
                        color: Theme.textSecondary
                    }
                    PrimaryButton {
                        hasShortcut: false
                        text: BillingStore.checkoutButtonTitle
                        enabled: BillingStore.canStartCheckout
                        onClicked: BillingStore.startCheckout()
                    }
                }
            }

            ColumnLayout {
                visible: BillingStore.planSheetBody === BillingStore.PlansUnavailable
                Layout.fillWidth: true
                Layout.minimumHeight: 120
                spacing: 12
                Label {
                    Layout.fillWidth: true
                    text: qsTr("Plans are unavailable. Please try again.")
                    wrapMode: Text.Wrap
                    font: Theme.font(13)
                    color: Theme.textSecondary
                }
                SelectableMessage {
                    visible: BillingStore.hasMessage
                    Layout.fillWidth: true
                    text: BillingStore.message
                    font: Theme.font(13)
                }
                RowLayout {
                    spacing: 8
                    SettingsActionButton {
                        text: qsTr("Retry")
                        onClicked: BillingStore.startLoad(true)
                    }
                    SettingsActionButton {
                        visible: BillingStore.hasFallbackBillingURL
                        text: qsTr("Open billing website")
                        onClicked: BillingStore.openBillingWebsite()
                    }
                }
                Item {
                    Layout.fillHeight: true
                }
            }
        }
    }

    component SelectableMessage: TextEdit {
        readOnly: true
        selectByMouse: true
        selectByKeyboard: true
        activeFocusOnTab: true
        wrapMode: TextEdit.Wrap
        color: Theme.textSecondary
        selectionColor: Theme.accent
        selectedTextColor: Theme.onAccent
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
