#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

// The behaviour of the editors that report pastes, attached to a TextArea.
// Every way of pasting (Ctrl+V, Shift+Insert, the context menu, a middle
// click on X11) runs through one routine that reports `pasted` once, and only
// when the text really changed. A text set from outside (the store cleared,
// restored or filled it) replaces the editor's text and empties its undo
// history; an equal text is left alone, so typing and undo are undisturbed.
class PasteTextView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *editor READ editor WRITE setEditor NOTIFY editorChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool wantsFocus READ wantsFocus WRITE setWantsFocus NOTIFY wantsFocusChanged)

public:
    explicit PasteTextView(QObject *parent = nullptr);

    QQuickItem *editor() const { return m_editor; }
    void setEditor(QQuickItem *editor);
    QString text() const { return m_text; }
    void setText(const QString &text);
    bool wantsFocus() const { return m_wantsFocus; }
    void setWantsFocus(bool wantsFocus);

    int pasteDepth() const { return m_pasteDepth; }
    int editRevision() const { return m_editRevision; }

    // The context menu's Paste.
    Q_INVOKABLE void paste();

    // The paste routine's two halves, around the editor's own paste, which
    // may run further pastes inside it.
    void beginPaste();
    void endPaste();
    // Every change of the editor's content.
    void noteEdit();

Q_SIGNALS:
    void editorChanged();
    void textChanged();
    void wantsFocusChanged();
    // The user changed the text; `text` already holds it.
    void edited(const QString &text);
    void pasted();
    void focusRequestHandled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void editorTextChanged();

private:
    void showTextInEditor();
    void applyFocusRule();
    QString editorText() const;

    QPointer<QQuickItem> m_editor;
    QString m_text;
    bool m_wantsFocus = false;
    int m_pasteDepth = 0;
    int m_editRevision = 0;
    QList<int> m_revisionsAtPaste;
};

} // namespace Tolvan
