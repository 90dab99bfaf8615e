#pragma once

#include "windowgeometry.h"

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QUrl>

#include <functional>
#include <memory>

class QQmlApplicationEngine;

namespace Tolvan {

class GlobalCopyShortcut;
class WindowRaiser;

// The main window and the Settings window, each made when first asked for
// and destroyed when closed, so a closed window costs nothing. The QML
// engine itself is made with the first window: a start in the tray builds
// no QML at all.
class WindowScenes : public QObject {
    Q_OBJECT

public:
    WindowScenes(GlobalCopyShortcut &shortcut, WindowRaiser &raiser,
                 std::function<void()> onMainWindowClose, QObject *parent = nullptr);
    ~WindowScenes() override;

    QQuickWindow *mainWindow() const { return m_main; }
    QQuickWindow *settingsWindow() const { return m_settings; }

    // Brings the main window forward, making it first when it is closed.
    Q_INVOKABLE void openMainWindow();
    Q_INVOKABLE void openSettingsWindow();
    // Closes the window that has the keyboard focus, as its close button would.
    Q_INVOKABLE void closeKeyWindow();

Q_SIGNALS:
    void mainWindowCreated(QQuickWindow *window);
    // A window could not be built; the message says why.
    void failed(const QString &message);

private:
    QQuickWindow *create(const QUrl &url);
    QQmlApplicationEngine &engine();
    void forgetOnClose(QQuickWindow *window, std::function<void()> onClose);

    GlobalCopyShortcut &m_shortcut;
    WindowRaiser &m_raiser;
    std::function<void()> m_onMainWindowClose;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    WindowGeometry m_geometry;
    QPointer<QQuickWindow> m_main;
    QPointer<QQuickWindow> m_settings;
};

} // namespace Tolvan
