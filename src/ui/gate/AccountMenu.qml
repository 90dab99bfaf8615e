import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The signed-in account: its address and "Sign out".
ToolButton {
    id: control

    Accessible.name: qsTr("Account: %1").arg(AuthStore.email)
    onClicked: {
        menuLoader.active = true;
        menuLoader.item.menu.open();
    }

    contentItem: Row {
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

    background: Rectangle {
        radius: 8
        color: control.down || control.hovered ? Theme.controlBackground : "transparent"
        FocusRing {
            control: control
            radius_: 8
        }
    }

    // Built the first time it opens.
    Loader {
        id: menuLoader

        active: false

        sourceComponent: Item {
            property alias menu: menu

            Menu {
                id: menu

                y: control.height + 4

                MenuItem {
                    text: AuthStore.hasSession ? AuthStore.email : qsTr("Account")
                    enabled: false
                }
                MenuItem {
                    text: qsTr("Sign out")
                    onTriggered: AuthStore.startSignOut()
                }
            }
        }
    }
}
