import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// System, Light or Dark, as a segmented control; the choice applies to every
// window at once.
Rectangle {
    implicitWidth: segments.implicitWidth + 4
    implicitHeight: segments.implicitHeight + 4
    radius: 8
    color: Theme.controlBackground

    Row {
        id: segments

        anchors.centerIn: parent
        spacing: 2

        Repeater {
            model: [
                { title: qsTr("System"), name: qsTr("system appearance"), value: Enums.System },
                { title: qsTr("Light"), name: qsTr("light appearance"), value: Enums.Light },
                { title: qsTr("Dark"), name: qsTr("dark appearance"), value: Enums.Dark }
            ]

            AbstractButton {
                id: segment

                required property var modelData
                readonly property bool isCurrent: SettingsStore.appearance === modelData.value

                checked: isCurrent
                leftPadding: 12
                rightPadding: 12
                topPadding: 6
                bottomPadding: 6
                focusPolicy: Qt.StrongFocus
                Accessible.role: Accessible.Button
                Accessible.name: modelData.name
                Accessible.checkable: true
                Accessible.checked: isCurrent
                Accessible.selected: isCurrent
                onClicked: SettingsStore.appearance = modelData.value

                contentItem: Text {
                    Accessible.ignored: true
                    text: segment.modelData.title
                    font: Theme.font(11, Font.Medium)
                    color: segment.isCurrent ? Theme.textPrimary : Theme.textSecondary
                }
                background: Rectangle {
                    radius: 6
                    color: segment.isCurrent ? Theme.controlSelected : "transparent"
                    FocusRing {
                        control: segment
                        radius_: 6
                    }
                }
            }
        }
    }
}
