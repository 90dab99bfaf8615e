import QtQuick
import Tolvan

// A decorative symbol, centred in a 20 × 20 frame and hidden from accessibility.
Item {
    property string systemName
    property int size: 16
    property color color: Theme.textPrimary

    implicitWidth: Math.max(20, size)
    implicitHeight: Math.max(20, size)
    Accessible.ignored: true

    Text {
        anchors.centerIn: parent
        font.family: Theme.iconFontFamily
        font.pixelSize: parent.size
        text: Theme.icon(parent.systemName)
        color: parent.color
    }
}
