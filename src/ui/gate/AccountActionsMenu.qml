import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The account menu's entries, under the item it is laid over.
Item {
    id: root

    property alias menu: menu

    Menu {
        id: menu

        y: root.height + 4

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
