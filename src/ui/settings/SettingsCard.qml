import QtQuick
import QtQuick.Layouts
import Tolvan

// A section of the Settings window: its title over a card whose rows the
// section gives as children, separated by dividers it draws itself.
ColumnLayout {
    id: section

    property string title
    default property alias rows: card.data

    Layout.fillWidth: true
    spacing: 8

    Text {
        text: section.title
        font: Theme.font(12, Font.DemiBold)
        color: Theme.textSecondary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: card.implicitHeight
        radius: 12
        color: Theme.surface
        border.width: 1
        border.color: Theme.border

        ColumnLayout {
            id: card

            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            spacing: 0
        }
    }
}
