#include "clipboardwriter.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Tolvan {

ClipboardWriter::ClipboardWriter(QObject *parent)
    : QObject(parent)
{
}

ClipboardWriter *ClipboardWriter::create(QQmlEngine *, QJSEngine *)
{
    return new ClipboardWriter;
}

bool ClipboardWriter::copyText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
    return clipboard->text(QClipboard::Clipboard) == text;
}

} // namespace Tolvan
