import QtQuick
import Tolvan

// The status line of the Translate workspace.
StatusLineView {
    status: TranslationStore.status
}
