import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// One plan of the plan sheet; choosing it anywhere selects it.
AbstractButton {
    id: control

    required property var plan
    readonly property bool isSelected: BillingStore.selectedPlan === plan.id

    padding: 16
    checkable: false
    Accessible.role: Accessible.RadioButton
    Accessible.name: plan.name
    Accessible.checkable: true
    Accessible.checked: isSelected
    onClicked: BillingStore.selectedPlan = plan.id

    contentItem: RowLayout {
        spacing: 12

        StaticIcon {
            Layout.alignment: Qt.AlignTop
            systemName: control.isSelected ? "largecircle.fill.circle" : "circle"
            size: 18
            color: control.isSelected ? Theme.accent : Theme.textSecondary
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Label {
                    text: control.plan.name
                    font: Theme.font(14, Font.DemiBold)
                    color: Theme.textPrimary
                }
                Label {
                    visible: control.plan.id === Enums.Annual
                    text: qsTr("BEST VALUE")
                    font: Theme.font(11, Font.DemiBold)
                    color: Theme.accent
                }
                Item {
                    Layout.fillWidth: true
                }
            }
            Label {
                Layout.fillWidth: true
                text: BillingStore.priceLine(control.plan)
                font: Theme.font(13)
                color: Theme.textSecondary
            }
            Label {
                Layout.fillWidth: true
                text: control.plan.trialDescription
                font: Theme.font(11, Font.DemiBold)
                color: Theme.success
            }
        }
    }

    background: Rectangle {
        radius: 12
        color: Theme.surface
        border.width: control.isSelected ? 2 : 1
        border.color: control.isSelected ? Theme.accent : Theme.border
        FocusRing {
            control: control
            radius_: 12
        }
    }
}
