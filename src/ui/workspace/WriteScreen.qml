import QtQuick
import QtQuick.Layouts
import Tolvan

// The Write workspace: the draft and its improved version side by side, and
// the status, the actions and the main button under them.
Item {
    id: root

    required property WorkspaceContent content

    function clear() {
        WritingStore.cancelRequest(true);
        WritingStore.text = "";
        CopyShortcut.clearShortcutSessionText();
        copyButton.copied = false;
    }

    component PaneLabel: TextLabel {
        font: Theme.font(12, Font.Medium)
        color: Theme.textSecondary
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TextLabel {
            Layout.leftMargin: 20
            Layout.topMargin: 14
            Layout.bottomMargin: 10
            text: qsTr("Improve your writing")
            font: Theme.font(16)
            color: Theme.textPrimary
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.divider
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            ColumnLayout {
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                Layout.margins: 20
                spacing: 8

                PaneLabel {
                    text: qsTr("Your draft")
                }

                PasteTextEditor {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    placeholder: qsTr("Enter a draft to improve…")
                    accessibilityLabel: qsTr("Your draft")
                    text: WritingStore.text
                    requestFocus: root.content.writeWantsFocus
                    onEdited: text => WritingStore.text = text
                    onPasted: WritingStore.pasteAndImprove()
                    onFocusRequestHandled: root.content.writeWantsFocus = false
                }

                TextLabel {
                    text: WritingStore.wordCountText
                    font: Theme.font(11)
                    color: Theme.textSecondary
                }
            }

            Rectangle {
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                color: Theme.divider
            }

            ColumnLayout {
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                Layout.margins: 20
                spacing: 8

                PaneLabel {
                    text: qsTr("Improved version")
                }

                ResultText {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    result: WritingStore.result
                    placeholder: qsTr("Your improved writing will appear here.")
                    accessibilityLabel: qsTr("Improved version")
                }

                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    spacing: 8

                    OutlinedActionButton {
                        text: qsTr("Rewrite")
                        symbol: "arrow.clockwise"
                        enabled: WritingStore.canRewrite
                        onClicked: WritingStore.improve()
                    }

                    CopyResultButton {
                        id: copyButton

                        result: WritingStore.result
                    }
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.divider
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 14
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            spacing: 10

            StatusLineView {
                Layout.fillWidth: true
                status: WritingStore.status
            }

            OutlinedActionButton {
                visible: WritingStore.hasBillingURL
                text: qsTr("View plans")
                foregroundColor: Theme.accent
                borderColor: Theme.accent
                onClicked: BillingStore.presentPlans(WritingStore.billingURL)
            }

            OutlinedActionButton {
                text: qsTr("Clear")
                symbol: "xmark"
                enabled: WritingStore.canClear
                onClicked: root.clear()
            }

            PrimaryButton {
                text: WritingStore.primaryActionTitle
                enabled: WritingStore.canImprove
                onClicked: WritingStore.improve()
            }
        }
    }
}
