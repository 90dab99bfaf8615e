import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// One history entry in its day's card: the kind's tile, the context and
// time, one line of source and one of result, and a spinner while its action
// runs. The card is drawn row by row: rounded at the day's first and last rows.
AbstractButton {
    id: row

    required property var entry
    required property string entryID
    required property bool isWriting
    required property string context
    required property string time
    required property string source
    required property string result
    required property string restoreTitle
    required property bool isFirstInSection
    required property bool isLastInSection

    readonly property bool isBusy: HistoryStore.actionID === entryID

    signal restoreRequested
    signal menuRequested(real x, real y)

    implicitHeight: layout.implicitHeight + topPadding + bottomPadding
    leftPadding: 16
    rightPadding: 16
    topPadding: 12
    bottomPadding: 12
    enabled: HistoryStore.canRunEntryAction
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: source
    Accessible.description: restoreTitle
    Accessible.onPressAction: restoreRequested()

    onClicked: restoreRequested()
    Keys.onReturnPressed: restoreRequested()
    Keys.onEnterPressed: restoreRequested()
    Keys.onMenuPressed: menuRequested(width / 2, height / 2)

    ToolTip.text: restoreTitle
    ToolTip.visible: hovered && enabled
    ToolTip.delay: 800

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: (point) => row.menuRequested(point.position.x, point.position.y)
    }
    Shortcut {
        sequence: "Shift+F10"
        enabled: row.activeFocus
        onActivated: row.menuRequested(row.width / 2, row.height / 2)
    }

    background: Item {
        clip: true

        Rectangle {
            x: 0
            y: row.isFirstInSection ? 0 : -16
            width: parent.width
            height: parent.height + (row.isFirstInSection ? 0 : 16) + (row.isLastInSection ? 0 : 16)
            radius: 16
            color: Theme.surface
            border.width: 1
            border.color: Theme.border
        }
        Rectangle {
            visible: !row.isFirstInSection
            x: 1
            width: parent.width - 2
            height: 1
            color: Theme.border
        }
        Rectangle {
            anchors.fill: parent
            anchors.margins: 2
            radius: 12
            color: "transparent"
            border.width: 2
            border.color: Theme.accent
            visible: row.visualFocus
        }
    }

    contentItem: RowLayout {
        id: layout

        spacing: 14

        Rectangle {
            Layout.preferredWidth: 32
            Layout.preferredHeight: 32
            radius: 10
            color: Theme.controlBackground

            StaticIcon {
                anchors.centerIn: parent
                systemName: row.isWriting ? "pencil.line" : "translate"
                color: Theme.accent
                size: 16
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 5

            Row {
                Layout.fillWidth: true
                spacing: 6

                Label {
                    text: row.context
                    font: Theme.font(11, Font.DemiBold)
                    color: Theme.textSecondary
                }
                Label {
                    text: row.time
                    font: Theme.font(11)
                    color: Theme.textSecondary
                }
            }
            Label {
                Layout.fillWidth: true
                text: row.source
                font: Theme.font(13)
                color: Theme.textPrimary
                maximumLineCount: 1
                elide: Text.ElideRight
                textFormat: Text.PlainText
                Accessible.ignored: true
            }
            Label {
                Layout.fillWidth: true
                text: row.result
                font: Theme.font(12)
                color: Theme.textSecondary
                maximumLineCount: 1
                elide: Text.ElideRight
                textFormat: Text.PlainText
            }
        }

        Item {
            Layout.preferredWidth: 20
            Layout.preferredHeight: 20

            ProgressSpinner {
                anchors.centerIn: parent
                width: 20
                height: 20
                running: row.isBusy
                visible: row.isBusy
            }
            StaticIcon {
                anchors.centerIn: parent
                visible: !row.isBusy
                systemName: "chevron.right"
                color: Theme.textSecondary
                size: 15
            }
        }
    }
}
