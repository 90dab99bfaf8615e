import QtQuick
import QtQuick.Layouts
import Tolvan

// The signed-in main window: the workspace tabs and account menu in the
// toolbar, and the current workspace below. A workspace is built the first
// time it is shown and kept while the window lives.
Item {
    id: root

    WorkspaceContent {
        id: workspaceContent
    }

    Shortcut {
        sequence: "Ctrl+1"
        onActivated: workspaceContent.workspace = Enums.Translate
    }
    Shortcut {
        sequence: "Ctrl+2"
        onActivated: workspaceContent.workspace = Enums.Write
    }
    Shortcut {
        sequence: "Ctrl+3"
        onActivated: workspaceContent.workspace = Enums.History
    }
    Shortcut {
        sequence: "Ctrl+Tab"
        onActivated: workspaceContent.selectNextWorkspace()
    }

    Rectangle {
        id: toolbar

        anchors.left: parent.left
        anchors.right: parent.right
        height: 52
        color: Theme.canvas

        WorkspaceTabs {
            anchors.centerIn: parent
            content: workspaceContent
        }

        AccountMenu {
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    StackLayout {
        anchors.top: toolbar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        currentIndex: workspaceContent.workspaceIndex

        Loader {
            active: workspaceContent.workspaceIndex === 0 || status === Loader.Ready
            sourceComponent: TranslateScreen {
                content: workspaceContent
            }
        }
        // By file, so a start compiles only the workspace it shows.
        Loader {
            active: workspaceContent.workspaceIndex === 1 || status === Loader.Ready
            Component.onCompleted: setSource("WriteScreen.qml", { content: workspaceContent })
        }
        Loader {
            active: workspaceContent.workspaceIndex === 2 || status === Loader.Ready
            Component.onCompleted: setSource("HistoryScreen.qml", { content: workspaceContent })
        }
    }

    // By file, the first time the plans are presented: the sheet needs the
    // controls library, which a start does without.
    Loader {
        anchors.fill: parent
        active: BillingStore.isPresentingPlans || status === Loader.Ready
        source: "../billing/BillingPlanSheet.qml"
    }
}
