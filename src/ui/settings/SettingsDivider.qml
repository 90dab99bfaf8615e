import QtQuick
import QtQuick.Layouts
import Tolvan

// The line between two rows of a Settings card.
Rectangle {
    Layout.fillWidth: true
    implicitHeight: 1
    color: Theme.divider
}
