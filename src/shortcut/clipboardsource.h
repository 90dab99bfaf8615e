#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace Tolvan {

// The plain text of the system clipboard, and word of every new copy.
class ClipboardSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // None when the clipboard holds no text.
    virtual std::optional<QString> plainText() const = 0;

Q_SIGNALS:
    // Something new was copied: the clipboard has a new owner.
    void changed();
};

} // namespace Tolvan
