import QtQuick
import Tolvan

// A language of the Translate workspace: the chosen language's name and a
// chevron; it opens the picker under itself.
ButtonBase {
    id: control

    property string title
    property var languages
    property var selection: null

    signal chosen(var language)

    readonly property bool isPresented: popoverLoader.item !== null && popoverLoader.item.isPresented

    implicitWidth: label.implicitWidth + 18
    implicitHeight: label.implicitHeight + 12
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: selection ? selection.name : qsTr("No language selected")
    Accessible.onPressAction: click()

    onClicked: {
        if (selection)
            languagePicker.remember(selection.code);
        popoverLoader.active = true;
        const popover = popoverLoader.item;
        if (!popover.isPresented)
            popover.reset();
        popover.isPresented = !popover.isPresented;
    }

    LanguagePicker {
        id: languagePicker

        languages: control.languages
    }

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: control.hovered ? Theme.controlBackground : "transparent"
        FocusRing {
            control: control
            radius_: 8
        }
    }

    Row {
        id: label

        x: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.selection ? control.selection.name : qsTr("Choose language")
            font: Theme.font(13, Font.Medium)
            color: control.isPresented ? Theme.accent : Theme.textPrimary
        }
        StaticIcon {
            anchors.verticalCenter: parent.verticalCenter
            systemName: control.isPresented ? "chevron.up" : "chevron.down"
            size: 12
            color: control.isPresented ? Theme.accent : Theme.textSecondary
        }
    }

    // Built the first time it opens: most starts never open it.
    Loader {
        id: popoverLoader

        anchors.fill: parent
        active: false

        sourceComponent: ArrowlessPopover {
            id: popover

            function reset() {
                pickerView.reset();
            }

            LanguagePickerPopover {
                id: pickerView

                picker: languagePicker
                selection: control.selection
                onChosen: language => {
                    control.chosen(language);
                    languagePicker.remember(language.code);
                    popover.isPresented = false;
                }
            }
        }
    }
}
