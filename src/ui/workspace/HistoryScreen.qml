import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The History workspace: the search and kind filter, the entries by day in a
// list that builds only the rows on screen, the list's end, and clearing.
// Restoring an entry hands it to the workspace of its kind.
Item {
    id: screen

    required property WorkspaceContent content
    property string pendingDeletionID

    // Every appearance starts again from page 1.
    Component.onCompleted: HistoryStore.reload(false, false)
    onVisibleChanged: {
        if (visible) {
            HistoryStore.reload(false, false)
        }
    }

    function confirmDeletion(entryID) {
        pendingDeletionID = entryID
        deleteDialog.open()
    }

    Connections {
        target: HistoryStore
        function onEntryOpened(entry) {
            screen.content.restore(entry)
        }
    }

    Shortcut {
        sequence: "Ctrl+F"
        enabled: screen.visible
        onActivated: searchField.forceActiveFocus()
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.canvas
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 16
        spacing: 16

        RowLayout {
            Layout.fillWidth: true
            spacing: 12

            Rectangle {
                Layout.fillWidth: true
                Layout.preferredHeight: 36
                radius: 18
                color: Theme.surface
                border.width: searchField.activeFocus ? 2 : 1
                border.color: searchField.activeFocus ? Theme.accent : Theme.border

                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    spacing: 9

                    StaticIcon {
                        systemName: "magnifyingglass"
                        color: Theme.textSecondary
                        size: 15
                    }
                    TextField {
                        id: searchField

                        Layout.fillWidth: true
                        text: HistoryStore.search
                        placeholderText: qsTr("Search history")
                        placeholderTextColor: Theme.textSecondary
                        font: Theme.font(12)
                        color: Theme.textPrimary
                        selectionColor: Theme.accent
                        selectedTextColor: Theme.onAccent
                        selectByMouse: true
                        leftPadding: 0
                        rightPadding: 0
                        background: null
                        Accessible.name: placeholderText
                        onTextEdited: HistoryStore.search = text
                        Keys.onDownPressed: {
                            if (list.count > 0) {
                                list.currentIndex = 0
                                list.currentItem.forceActiveFocus()
                            }
                        }
                    }
                    AbstractButton {
                        id: focusSearchButton

                        padding: 4
                        focusPolicy: Qt.StrongFocus
                        Accessible.role: Accessible.Button
                        Accessible.name: qsTr("Focus history search")
                        onClicked: searchField.forceActiveFocus()

                        contentItem: Text {
                            text: qsTr("Ctrl+F")
                            font: Theme.font(11)
                            color: Theme.textSecondary
                        }
                        background: Item {
                            FocusRing {
                                control: focusSearchButton
                                radius_: 6
                            }
                        }
                    }
                }
            }

            Rectangle {
                implicitWidth: filterRow.implicitWidth + 6
                implicitHeight: filterRow.implicitHeight + 6
                radius: height / 2
                color: Theme.controlBackground

                Row {
                    id: filterRow

                    anchors.centerIn: parent
                    spacing: 2

                    Repeater {
                        model: [
                            { title: qsTr("All"), filter: "" },
                            { title: qsTr("Translations"), filter: "translation" },
                            { title: qsTr("Writing"), filter: "writing" }
                        ]

                        AbstractButton {
                            id: capsule

                            required property var modelData
                            readonly property bool isCurrent: HistoryStore.filter === modelData.filter

                            checked: isCurrent
                            leftPadding: 12
                            rightPadding: 12
                            topPadding: 6
                            bottomPadding: 6
                            focusPolicy: Qt.StrongFocus
                            Accessible.role: Accessible.Button
                            Accessible.name: modelData.title
                            Accessible.checkable: true
                            Accessible.checked: isCurrent
                            Accessible.selected: isCurrent
                            onClicked: HistoryStore.filter = modelData.filter

                            contentItem: Text {
                                Accessible.ignored: true
                                text: capsule.modelData.title
                                font: Theme.font(11, capsule.isCurrent ? Font.DemiBold : Font.Normal)
                                color: capsule.isCurrent ? Theme.textPrimary : Theme.textSecondary
                            }
                            background: Rectangle {
                                radius: height / 2
                                color: capsule.isCurrent ? Theme.controlSelected : "transparent"
                                FocusRing {
                                    control: capsule
                                }
                            }
                        }
                    }
                }
            }
        }

        ListView {
            id: list

            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.topMargin: -12
            clip: true
            activeFocusOnTab: false
            boundsBehavior: Flickable.StopAtBounds
            model: HistoryListModel {}

            section.property: "sectionTitle"
            section.delegate: Item {
                required property string section

                width: list.width
                height: 44

                Label {
                    anchors.bottom: parent.bottom
                    width: parent.width
                    height: 32
                    leftPadding: 12
                    rightPadding: 12
                    verticalAlignment: Text.AlignVCenter
                    text: parent.section
                    font: Theme.font(12, Font.DemiBold)
                    color: Theme.textSecondary
                }
            }

            delegate: HistoryEntryRow {
                id: entryRow

                width: list.width
                onRestoreRequested: HistoryStore.openEntry(entryID)
                onMenuRequested: (x, y) => {
                    rowMenu.entryID = entryRow.entryID
                    rowMenu.restoreTitle = entryRow.restoreTitle
                    rowMenu.popup(entryRow, x, y)
                }
                onActiveFocusChanged: {
                    if (activeFocus) {
                        list.currentIndex = index
                    }
                }
                Keys.onUpPressed: {
                    list.decrementCurrentIndex()
                    list.currentItem.forceActiveFocus()
                }
                Keys.onDownPressed: {
                    list.incrementCurrentIndex()
                    list.currentItem.forceActiveFocus()
                }

                required property int index
            }

            footer: HistoryListEnd {
                width: list.width
            }

            ScrollBar.vertical: ScrollBar {}
        }

        TextEdit {
            Layout.fillWidth: true
            visible: HistoryStore.hasActionMessage
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            text: HistoryStore.actionMessage
            font: Theme.font(11)
            color: Theme.textSecondary
            selectionColor: Theme.accent
            selectedTextColor: Theme.onAccent
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        RowLayout {
            Layout.fillWidth: true

            Item {
                Layout.fillWidth: true
            }
            OutlinedActionButton {
                id: clearButton

                text: HistoryStore.clearButtonTitle
                foregroundColor: Theme.destructive
                borderColor: Theme.destructive
                enabled: HistoryStore.canClear
                ToolTip.text: qsTr("Permanently delete all translation and writing history.")
                ToolTip.visible: hovered
                ToolTip.delay: 800
                symbol: "trash"
                onClicked: clearDialog.open()
            }
        }
    }

    Menu {
        id: rowMenu

        property string entryID
        property string restoreTitle

        MenuItem {
            text: rowMenu.restoreTitle
            onTriggered: HistoryStore.openEntry(rowMenu.entryID)
        }
        MenuItem {
            text: qsTr("Delete…")
            onTriggered: screen.confirmDeletion(rowMenu.entryID)
        }
    }

    ConfirmationDialog {
        id: deleteDialog

        title: qsTr("Delete history entry?")
        message: qsTr("This permanently deletes the entry from your account.")
        confirmTitle: qsTr("Delete")
        isDestructive: true
        onConfirmed: HistoryStore.deleteEntry(screen.pendingDeletionID)
        onClosed: screen.pendingDeletionID = ""
    }

    ConfirmationDialog {
        id: clearDialog

        title: qsTr("Clear all history?")
        message: qsTr("This permanently deletes all translation and writing history from your account.")
        confirmTitle: qsTr("Clear History")
        isDestructive: true
        onConfirmed: HistoryStore.clearAll()
    }
}
