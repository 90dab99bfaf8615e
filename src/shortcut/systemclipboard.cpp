#include "systemclipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Tolvan {

SystemClipboard::SystemClipboard(QObject *parent)
    : ClipboardSource(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
            [this](QClipboard::Mode mode) {
                if (mode == QClipboard::Clipboard) {
                    Q_EMIT changed();
                }
            });
}

std::optional<QString> SystemClipboard::plainText() const
{
    QString text = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text;
}

} // namespace Tolvan
