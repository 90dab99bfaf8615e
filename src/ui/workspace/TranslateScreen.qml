import QtQuick
import QtQuick.Layouts
import Tolvan

// The Translate workspace: the language bar, the text and its translation
// side by side, and the actions with the status line.
Item {
    id: root

    required property WorkspaceContent content

    function clear() {
        TranslationStore.cancelRequest(true);
        TranslationStore.text = "";
        CopyShortcut.clearShortcutSessionText();
        copyButton.copied = false;
    }

    Component.onCompleted: TranslationStore.loadLanguages(false)

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 10
            Layout.bottomMargin: 10
            spacing: 12

            LanguageSelector {
                title: qsTr("Source language")
                languages: TranslationStore.languages
                selection: TranslationStore.source
                onChosen: language => TranslationStore.source = language
            }

            ButtonBase {
                id: swap

                implicitWidth: 32
                implicitHeight: 32
                enabled: TranslationStore.canSwapLanguages
                opacity: enabled ? 1.0 : 0.4
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Swap languages")
                Accessible.onPressAction: click()
                onClicked: TranslationStore.swapLanguages()

                Rectangle {
                    anchors.fill: parent
                    radius: height / 2
                    color: Theme.elevatedControl
                    border.width: 1
                    border.color: Theme.border
                    FocusRing {
                        control: swap
                    }
                }
                StaticIcon {
                    anchors.centerIn: parent
                    systemName: "arrow.left.arrow.right"
                    size: 16
                    color: Theme.accent
                }
            }

            LanguageSelector {
                title: qsTr("Target language")
                languages: TranslationStore.languages
                selection: TranslationStore.target
                onChosen: language => TranslationStore.target = language
            }
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

                PasteTextEditor {
                    id: input

                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    placeholder: qsTr("Enter text to translate…")
                    accessibilityLabel: qsTr("Text to translate")
                    text: TranslationStore.text
                    requestFocus: root.content.translateWantsFocus
                    onEdited: text => TranslationStore.text = text
                    onPasted: TranslationStore.pasteAndTranslate()
                    onFocusRequestHandled: root.content.translateWantsFocus = false
                }

                TextLabel {
                    text: TranslationStore.characterCountText
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

                ResultText {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    result: TranslationStore.result
                    placeholder: qsTr("Your translation will appear here.")
                    accessibilityLabel: qsTr("Translation")
                }

                CopyResultButton {
                    id: copyButton

                    Layout.alignment: Qt.AlignRight
                    result: TranslationStore.result
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

            TranslationStatusView {
                Layout.fillWidth: true
            }

            OutlinedActionButton {
                visible: TranslationStore.hasBillingURL
                text: qsTr("View plans")
                foregroundColor: Theme.accent
                borderColor: Theme.accent
                onClicked: BillingStore.presentPlans(TranslationStore.billingURL)
            }

            OutlinedActionButton {
                visible: TranslationStore.hasLanguageMessage
                text: qsTr("Retry languages")
                onClicked: TranslationStore.loadLanguages(true)
            }

            OutlinedActionButton {
                text: qsTr("Clear")
                symbol: "xmark"
                enabled: TranslationStore.canClear
                onClicked: root.clear()
            }

            PrimaryButton {
                text: TranslationStore.primaryActionTitle
                enabled: TranslationStore.canTranslate
                onClicked: TranslationStore.translate()
            }
        }
    }
}
