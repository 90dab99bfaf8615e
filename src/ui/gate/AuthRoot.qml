import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// What the session allows: restoring, the sign-in card, the workspaces, or
// the recovery panel.
Item {
    id: root

    Loader {
        anchors.fill: parent
        sourceComponent: {
            switch (AuthStore.phase) {
            case AuthStore.SignedOut:
                return signIn;
            case AuthStore.Authenticated:
                return content;
            case AuthStore.Recovery:
                return recovery;
            default:
                return restoring;
            }
        }
    }

    Component {
        id: restoring

        Item {
            RowLayout {
                anchors.centerIn: parent
                spacing: 10
                BusyIndicator {
                    Layout.preferredWidth: 24
                    Layout.preferredHeight: 24
                    running: true
                    Accessible.ignored: true
                }
                Label {
                    text: qsTr("Restoring your session…")
                    font: Theme.font(13)
                    color: Theme.textSecondary
                }
            }
        }
    }

    Component {
        id: signIn

        Item {
            SignInCard {
                anchors.centerIn: parent
            }
        }
    }

    Component {
        id: content

        ContentView {}
    }

    Component {
        id: recovery

        RecoveryPanel {}
    }
}
