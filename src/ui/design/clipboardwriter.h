#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

namespace Tolvan {

// Puts a result on the desktop's clipboard for the Copy buttons.
class ClipboardWriter : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Clipboard)
    QML_SINGLETON

public:
    explicit ClipboardWriter(QObject *parent = nullptr);

    static ClipboardWriter *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    // Empties the clipboard and writes `text` as plain text; true when the
    // clipboard then holds it.
    Q_INVOKABLE bool copyText(const QString &text);
};

} // namespace Tolvan
