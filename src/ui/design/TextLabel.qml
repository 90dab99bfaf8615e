import QtQuick

// A text that assistive technologies read as a label of its own.
Text {
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
