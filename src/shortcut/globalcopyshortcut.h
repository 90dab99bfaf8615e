#pragma once

#include "cancellationtoken.h"
#include "clock.h"
#include "doublecopyrecogniser.h"
#include "wireenums.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QWindow>

#include <chrono>
#include <functional>
#include <optional>

namespace Tolvan {

class ClipboardSource;
class ConfirmationPrompt;
class KeyEventSource;
class UserPreferences;
class WindowRaiser;

// The double-copy shortcut: the copy shortcut pressed twice quickly in
// another application publishes the copied text as a request for the main
// window and brings the application forward. It also owns the user's on/off
// switch for the feature and the state of the keyboard watch.
class GlobalCopyShortcut : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool hasPermission READ hasPermission NOTIFY hasPermissionChanged)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY isMonitoringChanged)
    // A null id: no request yet.
    Q_PROPERTY(QUuid requestID READ requestID NOTIFY requestIDChanged)
    Q_PROPERTY(Tolvan::Workspace requestedWorkspace READ requestedWorkspace NOTIFY
                   requestedWorkspaceChanged)
    // A null variant: none.
    Q_PROPERTY(QVariant pendingText READ pendingTextValue NOTIFY pendingTextChanged)
    Q_PROPERTY(bool hasPendingRequest READ hasPendingRequest NOTIFY hasPendingRequestChanged)
    Q_PROPERTY(QVariant shortcutSessionText READ shortcutSessionTextValue NOTIFY
                   shortcutSessionTextChanged)

public:
    // The services the shortcut reaches the desktop through; all outlive it.
    struct Platform {
        KeyEventSource &keys;
        ClipboardSource &clipboard;
        Clock &clock;
        ConfirmationPrompt &prompt;
        WindowRaiser &raiser;
    };

    static constexpr std::chrono::milliseconds handOffDelay{100};
    // How long after the release a copy may still arrive.
    static constexpr std::chrono::milliseconds copyDeadline{500};

    // With `startsMonitoring` false the instance is inert: off, watching
    // nothing, and toggle() and refreshPermission() do nothing.
    GlobalCopyShortcut(UserPreferences &preferences, bool startsMonitoring, Platform platform,
                       QObject *parent = nullptr);
    ~GlobalCopyShortcut() override;

    bool isEnabled() const { return m_isEnabled; }
    bool hasPermission() const { return m_hasPermission; }
    bool isMonitoring() const { return m_isMonitoring; }
    QUuid requestID() const { return m_requestID; }
    Workspace requestedWorkspace() const { return m_requestedWorkspace; }
    std::optional<QString> pendingText() const { return m_pendingText; }
    bool hasPendingRequest() const { return m_hasPendingRequest; }
    std::optional<QString> shortcutSessionText() const { return m_shortcutSessionText; }

    // The main window, weakly held; registered when it is shown.
    QWindow *window() const { return m_window; }
    void setWindow(QWindow *window);
    // Opens a new main window when none is registered.
    void setOpenWindow(std::function<void()> openWindow);

    // Publishes the clipboard's text as a request for `workspace`, as a double
    // copy does: the way in where no global keyboard watch exists.
    void publishClipboardRequest(Workspace workspace);

    // Takes the text of the request: returns it and marks the request taken.
    std::optional<QString> takePendingText();

    // Turns the feature on, after the user confirms, or off; remembers the choice.
    Q_INVOKABLE void toggle();
    // Drops the text of the latest double copy and any request not yet taken.
    Q_INVOKABLE void clearShortcutSessionText();

public Q_SLOTS:
    // Re-checks whether the keyboard watch can run, and starts or stops it.
    void refreshPermission();
    // Ends the keyboard watch and forgets everything in flight.
    void stop();
    void windowWillClose(QWindow *window);
    void sourceApplicationChanged();

Q_SIGNALS:
    void isEnabledChanged();
    void hasPermissionChanged();
    void isMonitoringChanged();
    void requestIDChanged();
    void requestedWorkspaceChanged();
    void pendingTextChanged();
    void hasPendingRequestChanged();
    void shortcutSessionTextChanged();

private:
    struct PasteTask {
        CancellationToken cancel;
        // Fires at the first copy after the task started.
        CancellationToken clipboardChanged;
    };

    void handleKeyEvent(const KeyEvent &event);
    void handleInterruption();
    void noteClipboardChange();
    void schedulePaste();
    void cancelPasteTask();
    QCoro::Task<> handOff(PasteTask task, quint64 clipboardChangesAtFirstPress);
    QCoro::Task<> confirmAndEnable();
    void publishRequest(const std::optional<QString> &clipboardText, Workspace workspace);
    void bringForward();

    QVariant pendingTextValue() const;
    QVariant shortcutSessionTextValue() const;

    void setIsEnabled(bool value);
    void setHasPermission(bool value);
    void setIsMonitoring(bool value);
    void setRequestID(const QUuid &value);
    void setRequestedWorkspace(Workspace value);
    void setPendingText(const std::optional<QString> &value);
    void setHasPendingRequest(bool value);
    void setShortcutSessionText(const std::optional<QString> &value);

    bool m_isEnabled = false;
    bool m_hasPermission = false;
    bool m_isMonitoring = false;
    QUuid m_requestID;
    Workspace m_requestedWorkspace = Workspace::Translate;
    std::optional<QString> m_pendingText;
    bool m_hasPendingRequest = false;
    std::optional<QString> m_shortcutSessionText;

    UserPreferences &m_preferences;
    Platform m_platform;
    const bool m_startsMonitoring;
    DoubleCopyRecogniser m_recogniser;
    std::optional<PasteTask> m_pasteTask;
    // Counts copies, so that a double copy can tell whether one happened
    // after its first press: the copy shortcut also interrupts terminals,
    // which copy nothing.
    quint64 m_clipboardChanges = 0;
    quint64 m_clipboardChangesAtFirstPress = 0;
    bool m_isConfirming = false;
    QPointer<QWindow> m_window;
    std::function<void()> m_openWindow;
};

} // namespace Tolvan
