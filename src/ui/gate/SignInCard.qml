import QtQuick
import Tolvan

// The two-step e-mail sign-in: the address, then the code.
Rectangle {
    id: card

    implicitWidth: 420
    implicitHeight: column.implicitHeight + 48
    radius: 16
    color: Theme.surface
    border.width: 1
    border.color: Theme.border
    enabled: !AuthStore.isBusy

    SignInForm {
        id: form

        onFocusRequested: card.focusCurrentField()
    }

    function focusCurrentField() {
        (form.focusField === SignInForm.Code ? codeField : emailField).forceActiveFocus();
    }

    Component.onCompleted: focusCurrentField()

    Column {
        id: column

        x: 24
        y: 24
        width: parent.width - 48
        spacing: 20

        StaticIcon {
            systemName: "envelope.badge.shield.half.filled"
            size: 32
            color: Theme.accent
        }

        Column {
            width: parent.width
            spacing: 6

            TextLabel {
                text: AuthStore.codeSent ? qsTr("Check your email") : qsTr("Welcome to Tolvan")
                font: Theme.font(16)
                color: Theme.textPrimary
            }
            TextLabel {
                width: parent.width
                text: form.subtitle
                wrapMode: Text.Wrap
                font: Theme.font(14, Font.DemiBold)
                color: Theme.textSecondary
            }
        }

        TextInputField {
            id: emailField

            width: parent.width
            visible: !AuthStore.codeSent
            placeholderText: qsTr("Email address")
            accessibleName: qsTr("Email address")
            inputMethodHints: Qt.ImhEmailCharactersOnly | Qt.ImhNoAutoUppercase
            text: form.email
            onTextEdited: form.email = text
            onAccepted: form.submit()
        }

        TextInputField {
            id: codeField

            width: parent.width
            visible: AuthStore.codeSent
            placeholderText: qsTr("Sign-in code")
            accessibleName: qsTr("Email sign-in code")
            inputMethodHints: Qt.ImhDigitsOnly
            text: form.code
            onTextEdited: form.code = text
            onAccepted: form.submit()
        }

        TextLabel {
            width: parent.width
            visible: AuthStore.hasMessage
            text: AuthStore.message
            wrapMode: Text.Wrap
            font: Theme.font(14, Font.DemiBold)
            color: Theme.textSecondary
            Accessible.name: qsTr("Authentication message: %1").arg(AuthStore.message)
        }

        Row {
            spacing: 12

            PrimaryButton {
                hasShortcut: false
                text: AuthStore.codeSent ? qsTr("Sign in") : qsTr("Send sign-in code")
                enabled: form.canSubmit
                onClicked: form.submit()
            }
            ProgressSpinner {
                anchors.verticalCenter: parent.verticalCenter
                visible: AuthStore.isBusy
            }
        }

        Row {
            visible: AuthStore.codeSent
            spacing: 16

            OutlinedActionButton {
                text: qsTr("Resend code")
                foregroundColor: Theme.accent
                onClicked: form.resendCode()
            }
            OutlinedActionButton {
                text: qsTr("Change email")
                foregroundColor: Theme.accent
                onClicked: form.changeEmail()
            }
        }
    }
}
