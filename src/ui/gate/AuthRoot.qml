import QtQuick
import Tolvan

// What the session allows: restoring, the sign-in card, the workspaces, or
// the recovery panel. Each is loaded by its file, so a start compiles only
// the view it shows.
Item {
    id: root

    Loader {
        anchors.fill: parent
        active: AuthStore.phase === AuthStore.Restoring
        sourceComponent: Item {
            Row {
                anchors.centerIn: parent
                spacing: 10
                ProgressSpinner {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 24
                    height: 24
                }
                TextLabel {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Restoring your session…")
                    font: Theme.font(13)
                    color: Theme.textSecondary
                }
            }
        }
    }

    Loader {
        anchors.centerIn: parent
        active: AuthStore.phase === AuthStore.SignedOut
        source: "SignInCard.qml"
    }

    Loader {
        anchors.fill: parent
        active: AuthStore.phase === AuthStore.Authenticated
        source: "../workspace/ContentView.qml"
    }

    Loader {
        anchors.fill: parent
        active: AuthStore.phase === AuthStore.Recovery
        source: "RecoveryPanel.qml"
    }
}
