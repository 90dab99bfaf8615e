import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tolvan

// The content of the Settings window: General, Keyboard shortcuts,
// Subscription and Account. Every control acts at once.
ColumnLayout {
    id: view

    spacing: 20

    SettingsContent {
        id: settingsContent
    }

    SettingsCard {
        title: qsTr("General")

        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 52

            Label {
                Layout.fillWidth: true
                text: qsTr("Appearance")
                font: Theme.font(13)
                color: Theme.textPrimary
            }
            AppearancePicker {}
        }

        SettingsDivider {}

        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 52

            Label {
                Layout.fillWidth: true
                text: qsTr("Launch at login")
                font: Theme.font(13)
                color: Theme.textPrimary
            }
            SettingsToggle {
                title: qsTr("Launch at login")
                isOn: SettingsStore.launchAtLogin
                enabled: !SettingsStore.isUpdatingLoginItem
                onFlipped: (wanted) => SettingsStore.setLaunchAtLogin(wanted)
            }
        }
        TextEdit {
            Layout.fillWidth: true
            Layout.bottomMargin: 16
            visible: SettingsStore.hasLoginItemMessage
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            text: SettingsStore.loginItemMessage
            font: Theme.font(11)
            color: Theme.textSecondary
            selectionColor: Theme.accent
            selectedTextColor: Theme.onAccent
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        SettingsDivider {}

        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 80

            ColumnLayout {
                Layout.fillHeight: false
                spacing: 4

                Label {
                    text: qsTr("Double-copy shortcut")
                    font: Theme.font(13)
                    color: Theme.textPrimary
                }
                Label {
                    text: qsTr("Press Ctrl+C, Ctrl+C in another app to open your last-used\nworkspace and translate or improve the copied text.")
                    font: Theme.font(11)
                    color: Theme.textSecondary
                    lineHeight: 1.1
                }
            }
            Item {
                Layout.fillWidth: true
            }
            SettingsToggle {
                title: qsTr("Double-copy shortcut")
                isOn: CopyShortcut.isEnabled
                onFlipped: CopyShortcut.toggle()
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.bottomMargin: 16
            visible: settingsContent.showsDoubleCopyStatus
            spacing: 8

            StaticIcon {
                Layout.alignment: Qt.AlignTop
                systemName: "info.circle"
                color: Theme.accent
                size: 16
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 8

                Label {
                    text: settingsContent.doubleCopyStatusTitle
                    font: Theme.font(12, Font.Medium)
                    color: Theme.textPrimary
                }
                Label {
                    text: settingsContent.doubleCopyStatusDetail
                    font: Theme.font(11)
                    color: Theme.textSecondary
                }
            }
        }
    }

    SettingsCard {
        title: qsTr("Keyboard shortcuts")

        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 48

            Label {
                Layout.fillWidth: true
                text: qsTr("Translate or improve text")
                font: Theme.font(13)
                color: Theme.textPrimary
            }
            Rectangle {
                implicitWidth: keyCap.implicitWidth + 18
                implicitHeight: keyCap.implicitHeight + 10
                radius: 6
                color: Theme.canvas
                border.width: 1
                border.color: Theme.border
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Control Return")

                Text {
                    id: keyCap

                    anchors.centerIn: parent
                    text: qsTr("Ctrl+↵")
                    font: Theme.font(12, Font.Medium)
                    color: Theme.textPrimary
                    Accessible.ignored: true
                }
            }
        }
    }

    SettingsCard {
        title: qsTr("Subscription")

        BillingSettingsContent {
            Layout.fillWidth: true
        }
    }

    SettingsCard {
        title: qsTr("Account")

        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 64
            spacing: 16

            ColumnLayout {
                Layout.fillWidth: true
                Layout.fillHeight: false
                spacing: 4

                Label {
                    text: settingsContent.accountTitle
                    font: Theme.font(13)
                    color: Theme.textPrimary
                }
                Label {
                    Layout.fillWidth: true
                    text: settingsContent.accountDetail
                    font: Theme.font(11)
                    color: Theme.textSecondary
                    elide: Text.ElideMiddle
                }
            }
            SettingsActionButton {
                id: accountButton

                visible: settingsContent.accountAction !== SettingsContent.None
                text: settingsContent.accountActionTitle
                onClicked: settingsContent.runAccountAction()

                contentItem: Row {
                    spacing: 6
                    StaticIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        systemName: settingsContent.accountActionSymbol
                        color: Theme.textPrimary
                        size: 14
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: accountButton.text
                        font: accountButton.font
                        color: Theme.textPrimary
                    }
                }
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.bottomMargin: 16
            visible: AuthStore.hasMessage || settingsContent.showsRecoveryActions
            spacing: 8

            TextEdit {
                Layout.fillWidth: true
                visible: AuthStore.hasMessage
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                text: AuthStore.message
                font: Theme.font(11)
                color: Theme.textSecondary
                selectionColor: Theme.accent
                selectedTextColor: Theme.onAccent
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            RowLayout {
                visible: settingsContent.showsRecoveryActions
                enabled: !AuthStore.isBusy
                spacing: 8

                SettingsActionButton {
                    text: qsTr("Retry")
                    onClicked: settingsContent.retrySession()
                }
                SettingsActionButton {
                    text: qsTr("Open app")
                    onClicked: settingsContent.openMainWindow()
                }
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 4

        StaticIcon {
            systemName: "checkmark"
            color: Theme.textSecondary
            size: 13
        }
        Label {
            Layout.fillWidth: true
            text: qsTr("Changes save automatically")
            font: Theme.font(11)
            color: Theme.textSecondary
        }
    }
}
