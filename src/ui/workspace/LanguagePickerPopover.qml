import QtQuick
import QtQuick.Layouts
import Tolvan

// The language picker: a search field, the recent languages and every
// language matching the search in a three-column grid. Arrows move through
// the grid, Return chooses, Escape closes (the popover's own rule).
FocusScope {
    id: root

    required property LanguagePicker picker
    property var selection: null

    signal chosen(var language)

    // Called each time the picker opens: an empty search with the focus.
    function reset() {
        search.text = "";
        recentGrid.currentIndex = -1;
        allGrid.currentIndex = -1;
        flick.contentY = 0;
        search.forceActiveFocus();
    }

    function chooseFirst() {
        const found = picker.filteredLanguages;
        if (found.length > 0)
            chosen(found[0]);
    }

    function enter(grid) {
        grid.currentIndex = 0;
        grid.forceActiveFocus();
    }

    function reveal(item) {
        if (!item)
            return;
        const top = item.mapToItem(column, 0, 0).y;
        if (top < flick.contentY)
            flick.contentY = top;
        else if (top + item.height > flick.contentY + flick.height)
            flick.contentY = top + item.height - flick.height;
    }

    width: 440
    height: 340

    component SectionTitle: TextLabel {
        font: Theme.font(11, Font.DemiBold)
        color: Theme.textSecondary
    }

    component LanguageGrid: GridView {
        id: grid

        // The picker, the search field and the sections around this one.
        required property Item popover
        required property Item searchField
        property Item previous
        property Item next

        width: parent.width
        height: Math.ceil(count / 3) * cellHeight
        cellWidth: (width + 4) / 3
        cellHeight: 34
        interactive: false
        currentIndex: -1
        keyNavigationEnabled: true
        onCurrentItemChanged: popover.reveal(currentItem)

        Keys.onReturnPressed: event => {
            if (currentIndex >= 0)
                popover.chosen(model[currentIndex]);
        }
        Keys.onEnterPressed: event => {
            if (currentIndex >= 0)
                popover.chosen(model[currentIndex]);
        }
        Keys.onUpPressed: event => {
            if (currentIndex >= 3) {
                moveCurrentIndexUp();
            } else if (previous === searchField) {
                currentIndex = -1;
                searchField.forceActiveFocus();
            } else if (previous) {
                currentIndex = -1;
                previous.currentIndex = previous.count - 1;
                previous.forceActiveFocus();
            }
        }
        Keys.onDownPressed: event => {
            if (currentIndex + 3 < count) {
                moveCurrentIndexDown();
            } else if (next && next.count > 0) {
                currentIndex = -1;
                popover.enter(next);
            }
        }

        delegate: LanguagePickerOption {
            required property var modelData
            required property int index

            width: grid.cellWidth - 4
            height: grid.cellHeight - 4
            language: modelData
            isSelected: popover.selection ? popover.selection.code === modelData.code : false
            isCurrent: grid.activeFocus && grid.currentIndex === index
            onClicked: popover.chosen(modelData)
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.surface
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 10

        TextInputField {
            id: search

            Layout.fillWidth: true
            leftPadding: 32
            placeholderText: qsTr("Search languages")
            onTextChanged: root.picker.search = text
            Keys.onReturnPressed: root.chooseFirst()
            Keys.onEnterPressed: root.chooseFirst()
            Keys.onDownPressed: root.enter(recentGrid.count > 0 ? recentGrid : allGrid)

            StaticIcon {
                x: 8
                anchors.verticalCenter: parent.verticalCenter
                systemName: "magnifyingglass"
                size: 16
                color: Theme.textSecondary
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            Flickable {
                id: flick

                anchors.fill: parent
                clip: true
                contentHeight: column.height
                boundsBehavior: Flickable.StopAtBounds

                Column {
                    id: column

                    width: flick.width
                    spacing: 8

                    SectionTitle {
                        visible: recentGrid.count > 0
                        text: qsTr("RECENT LANGUAGES")
                    }
                    LanguageGrid {
                        id: recentGrid

                        visible: count > 0
                        popover: root
                        searchField: search
                        model: root.picker.recentLanguages
                        previous: search
                        next: allGrid
                    }
                    SectionTitle {
                        text: qsTr("ALL LANGUAGES")
                    }
                    LanguageGrid {
                        id: allGrid

                        visible: count > 0
                        popover: root
                        searchField: search
                        model: root.picker.filteredLanguages
                        previous: recentGrid.count > 0 ? recentGrid : search
                    }
                    TextLabel {
                        visible: allGrid.count === 0
                        text: qsTr("No languages found")
                        font: Theme.font(13)
                        color: Theme.textSecondary
                    }
                }
            }

            VerticalScrollBar {
                flickable: flick
            }
        }
    }
}
