#include "workspacecontent.h"

#include "globalcopyshortcut.h"
#include "tolvanapp.h"
#include "translationstore.h"
#include "userpreferences.h"
#include "writingstore.h"

#include <QTimer>

namespace Tolvan {

WorkspaceContent::WorkspaceContent(QObject *parent)
    : WorkspaceContent(TolvanApp::instance()->translation(), TolvanApp::instance()->writing(),
                       TolvanApp::instance()->preferences(), &TolvanApp::instance()->copyShortcut(),
                       parent)
{
}

WorkspaceContent::WorkspaceContent(TranslationStore &translation, WritingStore &writing,
                                   UserPreferences &preferences, GlobalCopyShortcut *shortcut,
                                   QObject *parent)
    : QObject(parent)
    , m_translation(&translation)
    , m_writing(&writing)
    , m_preferences(preferences)
    , m_shortcut(shortcut)
    , m_workspace(preferences.lastWorkspace())
{
    m_translation->loadLanguages(false);
    if (m_shortcut) {
        connect(m_shortcut, &GlobalCopyShortcut::requestIDChanged, this,
                &WorkspaceContent::takeRequest);
        takeRequest();
    }
}

void WorkspaceContent::selectWorkspace(Workspace workspace)
{
    if (workspace == m_workspace) {
        return;
    }
    m_workspace = workspace;
    Q_EMIT workspaceChanged();
    // After the switch has been drawn, and after a double copy has put its
    // text in place, so that the carry-over sees the workspace as it is then.
    QTimer::singleShot(0, this, [this, workspace] { workspaceDidChange(workspace); });
}

void WorkspaceContent::setTranslateWantsFocus(bool wantsFocus)
{
    if (wantsFocus != m_translateWantsFocus) {
        m_translateWantsFocus = wantsFocus;
        Q_EMIT translateWantsFocusChanged();
    }
}

void WorkspaceContent::setWriteWantsFocus(bool wantsFocus)
{
    if (wantsFocus != m_writeWantsFocus) {
        m_writeWantsFocus = wantsFocus;
        Q_EMIT writeWantsFocusChanged();
    }
}

void WorkspaceContent::selectNextWorkspace()
{
    switch (m_workspace) {
    case Workspace::Translate:
        selectWorkspace(Workspace::Write);
        break;
    case Workspace::Write:
        selectWorkspace(Workspace::History);
        break;
    case Workspace::History:
        selectWorkspace(Workspace::Translate);
        break;
    }
}

void WorkspaceContent::restore(const HistoryEntry &entry)
{
    if (entry.type == HistoryKind::Writing) {
        m_writing->restore(entry);
        selectWorkspace(Workspace::Write);
    } else {
        m_translation->restore(entry);
        selectWorkspace(Workspace::Translate);
    }
}

void WorkspaceContent::workspaceDidChange(Workspace workspace)
{
    if (workspace != Workspace::History) {
        m_preferences.setLastWorkspace(workspace);
    }
    const std::optional<QString> carried =
        m_shortcut ? m_shortcut->shortcutSessionText() : std::nullopt;
    if (!carried) {
        return;
    }
    if (workspace == Workspace::Translate && m_translation->text().isEmpty()) {
        m_translation->pasteAndTranslate(*carried);
    } else if (workspace == Workspace::Write && m_writing->text().isEmpty()) {
        m_writing->setText(*carried);
        m_writing->cancelRequest(false);
        m_writing->improve();
    }
}

void WorkspaceContent::takeRequest()
{
    const quint64 run = ++m_requestRun;
    if (!m_shortcut->hasPendingRequest()) {
        return;
    }
    const std::optional<QString> text = m_shortcut->takePendingText();
    if (!text) {
        return;
    }
    const Workspace workspace = m_shortcut->requestedWorkspace() == Workspace::Write
                                    ? Workspace::Write
                                    : Workspace::Translate;
    selectWorkspace(workspace);
    if (workspace == Workspace::Write) {
        m_writing->setText(*text);
        setWriteWantsFocus(true);
    } else {
        m_translation->setText(*text);
        setTranslateWantsFocus(true);
    }
    // The switch is drawn before the run starts.
    QTimer::singleShot(0, this, [this, workspace, run] { runRequest(workspace, run); });
}

void WorkspaceContent::runRequest(Workspace workspace, quint64 run)
{
    if (run != m_requestRun) {
        return;
    }
    if (workspace == Workspace::Write) {
        m_writing->cancelRequest(false);
        m_writing->improve();
    } else {
        m_translation->pasteAndTranslate();
    }
}

} // namespace Tolvan
