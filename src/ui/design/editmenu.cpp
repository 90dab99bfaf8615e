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
        addAction(tr("Cut"), QKeySequence::Cut, "cut");
        addAction(tr("Copy"), QKeySequence::Copy, "copy");
        QAction *paste = m_menu->addAction(tr("Paste"), this, &EditMenu::pasteRequested);
        paste->setShortcut(QKeySequence::Paste);
        m_menu->addSeparator();
        addAction(tr("Select All"), QKeySequence::SelectAll, "selectAll");
    }
    const QList<QAction *> actions = m_menu->actions();
    const bool hasSelection = !m_editor->property("selectedText").toString().isEmpty();
    actions.at(0)->setEnabled(hasSelection);
    actions.at(1)->setEnabled(hasSelection);
    actions.at(2)->setEnabled(m_editor->property("canPaste").toBool());
    m_menu->popup(QCursor::pos());
}

void EditMenu::addAction(const QString &title, QKeySequence::StandardKey key, const char *method)
{
    QAction *action = m_menu->addAction(title, this, [this, method] {
        if (m_editor) {
            QMetaObject::invokeMethod(m_editor, method);
        }
    });
    // Shown beside the title; the editor itself answers the keys.
    action->setShortcut(key);
}

} // namespace Tolvan
