#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace Tolvan {

// The context menu of a text editor: Cut, Copy, Paste and Select All, each
// enabled while it can act. Paste is handed back through `pasteRequested`,
// so the editor's own paste routine runs.
class EditMenu : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *editor READ editor WRITE setEditor NOTIFY editorChanged)

public:
    explicit EditMenu(QObject *parent = nullptr);
    ~EditMenu() override;

    QQuickItem *editor() const { return m_editor; }
    void setEditor(QQuickItem *editor);

    // Opens the menu at the pointer; built on the first call.
    Q_INVOKABLE void popup();

Q_SIGNALS:
    void editorChanged();
    void pasteRequested();

private:
    QAction *addAction(const QString &title, QKeySequence::StandardKey key, const char *method);

    QPointer<QQuickItem> m_editor;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
};

} // namespace Tolvan
