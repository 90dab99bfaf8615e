import QtQuick
import Tolvan

// The signed-in account: its address and "Sign out".
ButtonBase {
    id: control

    implicitWidth: label.implicitWidth + 12
    implicitHeight: label.implicitHeight + 12
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("Account: %1").arg(AuthStore.email)
    Accessible.onPressAction: click()
    onClicked: {
        menuLoader.active = true;
        menuLoader.item.menu.open();
    }

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: control.down || control.hovered ? Theme.controlBackground : "transparent"
        FocusRing {
            control: control
            radius_: 8
        }
    }

    Row {
        id: label

        anchors.centerIn: parent
        spacing: 6
        StaticIcon {
            anchors.verticalCenter: parent.verticalCenter
            systemName: "person.crop.circle"
            size: 18
            color: Theme.textSecondary
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Account")
            font: Theme.font(13, Font.Medium)
            color: Theme.textPrimary
        }
    }

    // By file and on the first click: the menu needs the controls library,
    // which a start does without.
    Loader {
        id: menuLoader

        anchors.fill: parent
        active: false
        source: "AccountActionsMenu.qml"
    }
}
