#include "editmenu.h"

#include <QCursor>

namespace Tolvan {

EditMenu::EditMenu(QObject *parent)
    : QObject(parent)
{
}

EditMenu::~EditMenu() = default;

void EditMenu::setEditor(QQuickItem *editor)
{
    if (m_editor == editor) {
        return;
    }
    m_editor = editor;
    Q_EMIT editorChanged();
}

void EditMenu::popup()
{
    if (!m_editor) {
        return;
    }
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        m_cut = addAction(tr("Cut"), QKeySequence::Cut, "cut");
        m_copy = addAction(tr("Copy"), QKeySequence::Copy, "copy");
        m_paste = m_menu->addAction(tr("Paste"), this, &EditMenu::pasteRequested);
        m_paste->setShortcut(QKeySequence::Paste);
        m_menu->addSeparator();
        addAction(tr("Select All"), QKeySequence::SelectAll, "selectAll");
    }
    const bool hasSelection = !m_editor->property("selectedText").toString().isEmpty();
    m_cut->setEnabled(hasSelection);
    m_copy->setEnabled(hasSelection);
    m_paste->setEnabled(m_editor->property("canPaste").toBool());
    m_menu->popup(QCursor::pos());
}

QAction *EditMenu::addAction(const QString &title, QKeySequence::StandardKey key,
                             const char *method)
{
    QAction *action = m_menu->addAction(title, this, [this, method] {
        if (m_editor) {
            QMetaObject::invokeMethod(m_editor, method);
        }
    });
    // Shown beside the title; the editor itself answers the keys.
    action->setShortcut(key);
    return action;
}

} // namespace Tolvan
