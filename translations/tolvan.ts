<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>AccountMenu</name>
    <message>
        <location filename="../src/ui/gate/AccountMenu.qml" line="9"/>
        <source>Account: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/AccountMenu.qml" line="22"/>
        <location filename="../src/ui/gate/AccountMenu.qml" line="43"/>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/AccountMenu.qml" line="47"/>
        <source>Sign out</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AuthRoot</name>
    <message>
        <location filename="../src/ui/gate/AuthRoot.qml" line="41"/>
        <source>Restoring your session…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistoryScreen</name>
    <message>
        <location filename="../src/ui/workspace/HistoryScreen.qml" line="12"/>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/ui/shell/MainWindow.qml" line="9"/>
        <source>Tolvan</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PasteTextEditor</name>
    <message>
        <location filename="../src/ui/design/PasteTextEditor.qml" line="47"/>
        <source>Cut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/design/PasteTextEditor.qml" line="52"/>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/design/PasteTextEditor.qml" line="57"/>
        <source>Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/design/PasteTextEditor.qml" line="63"/>
        <source>Select All</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PrimaryButton</name>
    <message>
        <location filename="../src/ui/design/PrimaryButton.qml" line="11"/>
        <source>Ctrl+↵</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecoveryPanel</name>
    <message>
        <location filename="../src/ui/gate/RecoveryPanel.qml" line="15"/>
        <source>Unable to restore your session</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/RecoveryPanel.qml" line="27"/>
        <source>Please try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/RecoveryPanel.qml" line="42"/>
        <source>Retry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/RecoveryPanel.qml" line="47"/>
        <source>Sign out</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../src/ui/shell/SettingsWindow.qml" line="10"/>
        <location filename="../src/ui/shell/SettingsWindow.qml" line="32"/>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SignInCard</name>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="48"/>
        <source>Check your email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="48"/>
        <source>Welcome to Tolvan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="66"/>
        <location filename="../src/ui/gate/SignInCard.qml" line="67"/>
        <source>Email address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="79"/>
        <source>Sign-in code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="80"/>
        <source>Email sign-in code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="94"/>
        <source>Authentication message: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="102"/>
        <source>Sign in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="102"/>
        <source>Send sign-in code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="120"/>
        <source>Resend code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/SignInCard.qml" line="125"/>
        <source>Change email</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Tolvan::SignInForm</name>
    <message>
        <location filename="../src/ui/gate/signinform.cpp" line="53"/>
        <source>Enter the sign-in code sent to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/gate/signinform.cpp" line="55"/>
        <source>Sign in or create an account with your email. No password needed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Tolvan::SingleInstance</name>
    <message>
        <location filename="../src/ui/shell/singleinstance.cpp" line="49"/>
        <source>Tolvan could not listen on %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Tolvan::TrayMenu</name>
    <message>
        <location filename="../src/ui/shell/traymenu.cpp" line="10"/>
        <location filename="../src/ui/shell/traymenu.cpp" line="31"/>
        <source>Tolvan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/shell/traymenu.cpp" line="19"/>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/shell/traymenu.cpp" line="21"/>
        <source>Settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/shell/traymenu.cpp" line="25"/>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TranslateScreen</name>
    <message>
        <location filename="../src/ui/workspace/TranslateScreen.qml" line="12"/>
        <source>Translate</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WorkspaceTabs</name>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="54"/>
        <source>Translate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="54"/>
        <source>Ctrl+1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="55"/>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="55"/>
        <source>Ctrl+2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="56"/>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/workspace/WorkspaceTabs.qml" line="56"/>
        <source>Ctrl+3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WriteScreen</name>
    <message>
        <location filename="../src/ui/workspace/WriteScreen.qml" line="12"/>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
