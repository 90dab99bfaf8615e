import QtQuick
import QtQuick.Controls.Basic
import Tolvan

// The Settings switch: a 32 × 20 track with a white knob. It shows `isOn`
// and asks for the other value through `flipped`; the owner decides, so the
// switch always shows the real state. Drawn at 40 % and deaf when disabled.
Switch {
    id: control

    property string title
    property bool isOn: false

    signal flipped(bool wanted)

    implicitWidth: 32
    implicitHeight: 20
    opacity: enabled ? 1.0 : 0.4
    focusPolicy: Qt.StrongFocus
    checked: isOn
    Accessible.name: title
    Accessible.description: isOn ? qsTr("On") : qsTr("Off")
    Accessible.onToggleAction: flipped(!isOn)
    Accessible.onPressAction: flipped(!isOn)

    // The click only asks; the knob moves when the owner's value does.
    onClicked: {
        const wanted = checked
        checked = Qt.binding(() => control.isOn)
        flipped(wanted)
    }

    background: Rectangle {
        radius: height / 2
        color: control.isOn ? Theme.accent : Theme.controlBackground
        border.width: control.isOn ? 0 : 1
        border.color: Theme.border

        Behavior on color {
            ColorAnimation {
                duration: 150
                easing.type: Easing.InOutQuad
            }
        }

        FocusRing {
            control: control
        }
    }

    indicator: null
    contentItem: Item {
        Rectangle {
            id: knobShadow

            x: knob.x
            y: knob.y + 1
            width: 16
            height: 16
            radius: 8
            color: Qt.rgba(0, 0, 0, 0.12)
        }
        Rectangle {
            id: knob

            x: control.isOn ? control.width - width - 2 : 2
            y: 2
            width: 16
            height: 16
            radius: 8
            color: "white"

            Behavior on x {
                NumberAnimation {
                    duration: 150
                    easing.type: Easing.InOutQuad
                }
            }
        }
    }
    padding: 0
}
