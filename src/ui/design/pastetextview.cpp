#include "pastetextview.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QQuickTextDocument>
#include <QQuickWindow>
#include <QTextDocument>
#include <QTimer>

namespace Tolvan {

PasteTextView::PasteTextView(QObject *parent)
    : QObject(parent)
{
}

void PasteTextView::setEditor(QQuickItem *editor)
{
    if (editor == m_editor) {
        return;
    }
    if (m_editor) {
        m_editor->removeEventFilter(this);
        disconnect(m_editor, nullptr, this, nullptr);
    }
    m_editor = editor;
    if (m_editor) {
        m_editor->installEventFilter(this);
        connect(m_editor, SIGNAL(textChanged()), this, SLOT(editorTextChanged()));
        connect(m_editor, &QQuickItem::windowChanged, this, &PasteTextView::applyFocusRule);
        showTextInEditor();
        applyFocusRule();
    }
    Q_EMIT editorChanged();
}

void PasteTextView::setText(const QString &text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    showTextInEditor();
    Q_EMIT textChanged();
    applyFocusRule();
}

void PasteTextView::setWantsFocus(bool wantsFocus)
{
    if (wantsFocus == m_wantsFocus) {
        return;
    }
    m_wantsFocus = wantsFocus;
    Q_EMIT wantsFocusChanged();
    applyFocusRule();
}

void PasteTextView::paste()
{
    if (!m_editor) {
        return;
    }
    beginPaste();
    QMetaObject::invokeMethod(m_editor, "paste");
    endPaste();
}

void PasteTextView::beginPaste()
{
    ++m_pasteDepth;
    m_revisionsAtPaste.append(m_editRevision);
}

void PasteTextView::endPaste()
{
    if (m_pasteDepth == 0) {
        return;
    }
    --m_pasteDepth;
    const int revisionAtPaste = m_revisionsAtPaste.takeLast();
    if (m_pasteDepth == 0 && m_editRevision != revisionAtPaste) {
        Q_EMIT pasted();
    }
}

void PasteTextView::noteEdit()
{
    ++m_editRevision;
}

bool PasteTextView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_editor) {
        return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton) {
        // The editor pastes the selection while it handles this release.
        beginPaste();
        QTimer::singleShot(0, this, &PasteTextView::endPaste);
    }
    return false;
}

void PasteTextView::editorTextChanged()
{
    noteEdit();
    const QString shown = editorText();
    if (shown != m_text) {
        m_text = shown;
        Q_EMIT textChanged();
        Q_EMIT edited(shown);
    }
}

void PasteTextView::showTextInEditor()
{
    if (!m_editor || editorText() == m_text) {
        return;
    }
    m_editor->setProperty("text", m_text);
    m_editor->setProperty("cursorPosition", m_text.size());
    if (auto *document = m_editor->property("textDocument").value<QQuickTextDocument *>()) {
        document->textDocument()->clearUndoRedoStacks();
    }
}

void PasteTextView::applyFocusRule()
{
    if (!m_wantsFocus || !m_editor || !m_editor->window()) {
        return;
    }
    if (!m_editor->hasActiveFocus()) {
        m_editor->forceActiveFocus(Qt::OtherFocusReason);
        if (!m_editor->hasActiveFocus()) {
            return;
        }
    }
    m_wantsFocus = false;
    Q_EMIT wantsFocusChanged();
    Q_EMIT focusRequestHandled();
}

QString PasteTextView::editorText() const
{
    return m_editor ? m_editor->property("text").toString() : QString();
}

} // namespace Tolvan
