#pragma once

#include "historyentry.h"
#include "wireenums.h"

#include <QObject>
#include <QPointer>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

class GlobalCopyShortcut;
class TranslationStore;
class UserPreferences;
class WritingStore;

// The signed-in content of the main window: which workspace is shown, the
// last one remembered; a history entry restored into its workspace; and
// every double copy taken into the workspace it asks for and run there.
class WorkspaceContent : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(
        Tolvan::Workspace workspace READ workspace WRITE selectWorkspace NOTIFY workspaceChanged)
    Q_PROPERTY(int workspaceIndex READ workspaceIndex NOTIFY workspaceChanged)
    // Set when a double copy lands in that workspace; its editor clears it
    // once it has the focus.
    Q_PROPERTY(bool translateWantsFocus READ translateWantsFocus WRITE setTranslateWantsFocus NOTIFY
                   translateWantsFocusChanged)
    Q_PROPERTY(bool writeWantsFocus READ writeWantsFocus WRITE setWriteWantsFocus NOTIFY
                   writeWantsFocusChanged)

public:
    explicit WorkspaceContent(QObject *parent = nullptr);
    // The stores of a given shell, for tests; the default constructor takes
    // the running app's.
    WorkspaceContent(TranslationStore &translation, WritingStore &writing,
                     UserPreferences &preferences, GlobalCopyShortcut *shortcut,
                     QObject *parent = nullptr);

    Workspace workspace() const { return m_workspace; }
    int workspaceIndex() const { return int(m_workspace); }
    void selectWorkspace(Workspace workspace);
    bool translateWantsFocus() const { return m_translateWantsFocus; }
    void setTranslateWantsFocus(bool wantsFocus);
    bool writeWantsFocus() const { return m_writeWantsFocus; }
    void setWriteWantsFocus(bool wantsFocus);

    // Ctrl+Tab: the next workspace, from History back to Translate.
    Q_INVOKABLE void selectNextWorkspace();
    Q_INVOKABLE void restore(const Tolvan::HistoryEntry &entry);

Q_SIGNALS:
    void workspaceChanged();
    void translateWantsFocusChanged();
    void writeWantsFocusChanged();

private:
    void workspaceDidChange(Workspace workspace);
    void takeRequest();
    void runRequest(Workspace workspace, quint64 run);

    QPointer<TranslationStore> m_translation;
    QPointer<WritingStore> m_writing;
    UserPreferences &m_preferences;
    QPointer<GlobalCopyShortcut> m_shortcut;
    Workspace m_workspace;
    bool m_translateWantsFocus = false;
    bool m_writeWantsFocus = false;
    // Each new request abandons the run of the one before.
    quint64 m_requestRun = 0;
};

} // namespace Tolvan
