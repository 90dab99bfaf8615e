import QtQuick
import Tolvan

// The three workspaces in a capsule, the selection sliding between them.
Rectangle {
    id: root

    required property WorkspaceContent content

    implicitWidth: row.implicitWidth + 8
    implicitHeight: row.implicitHeight + 8
    radius: height / 2
    color: Theme.controlBackground

    Rectangle {
        id: indicator

        readonly property Item selected: repeater.count > 0 ? repeater.itemAt(root.content.workspaceIndex) : null

        x: selected ? row.x + selected.x : 0
        y: row.y
        width: selected ? selected.width : 0
        height: row.height
        radius: height / 2
        color: Theme.controlSelected
        border.width: 1
        border.color: Theme.border

        Behavior on x {
            NumberAnimation {
                duration: 200
                easing.type: Easing.InOutQuad
            }
        }
        Behavior on width {
            NumberAnimation {
                duration: 200
                easing.type: Easing.InOutQuad
            }
        }
    }

    Row {
        id: row

        anchors.centerIn: parent
        spacing: 1

        Repeater {
            id: repeater

            model: [
                { title: qsTr("Translate"), symbol: "translate", hint: qsTr("Ctrl+1") },
                { title: qsTr("Write"), symbol: "pencil.line", hint: qsTr("Ctrl+2") },
                { title: qsTr("History"), symbol: "clock", hint: qsTr("Ctrl+3") }
            ]

            ButtonBase {
                id: tab

                required property var modelData
                required property int index
                readonly property bool isSelected: root.content.workspaceIndex === index

                implicitWidth: label.implicitWidth + 32
                implicitHeight: label.implicitHeight + 12
                Accessible.role: Accessible.Button
                Accessible.name: modelData.title
                Accessible.onPressAction: click()
                onClicked: root.content.workspace = index

                FocusRing {
                    control: tab
                }

                Row {
                    id: label

                    anchors.centerIn: parent
                    spacing: 7
                    StaticIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        systemName: tab.modelData.symbol
                        size: 14
                        color: tab.isSelected ? Theme.accent : Theme.textSecondary
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: tab.modelData.title
                        font: Theme.font(13, tab.isSelected ? Font.DemiBold : Font.Medium)
                        color: tab.isSelected ? Theme.textPrimary : Theme.textSecondary
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: tab.modelData.hint
                        font: Theme.font(11)
                        color: Theme.textSecondary
                        Accessible.ignored: true
                    }
                }
            }
        }
    }
}
