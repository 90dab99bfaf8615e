#include "windowscenes.h"

#include "globalcopyshortcut.h"
#include "shortcutwindowaccessor.h"
#include "statusline.h"
#include "windowraiser.h"
#include "wireenums.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QScreen>

namespace Tolvan {

namespace {

const QUrl mainWindowURL(QStringLiteral("qrc:/qt/qml/Tolvan/shell/MainWindow.qml"));
const QUrl settingsWindowURL(QStringLiteral("qrc:/qt/qml/Tolvan/shell/SettingsWindow.qml"));

// Closes a window when the event loop next runs, after its close event.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QQuickWindow &window, std::function<void()> onClose)
        : QObject(&window)
        , m_onClose(std::move(onClose))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            m_onClose();
            watched->deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_onClose;
};

} // namespace

WindowScenes::WindowScenes(GlobalCopyShortcut &shortcut, WindowRaiser &raiser,
                           std::function<void()> onMainWindowClose, QObject *parent)
    : QObject(parent)
    , m_shortcut(shortcut)
    , m_raiser(raiser)
    , m_onMainWindowClose(std::move(onMainWindowClose))
{
}

WindowScenes::~WindowScenes()
{
    delete m_main;
    delete m_settings;
}

QQmlApplicationEngine &WindowScenes::engine()
{
    if (!m_engine) {
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        // The wire enumerations (Workspace, AppAppearance, …) as Enums.Translate
        // and so on; Qt 6.4 cannot declare a foreign namespace for QML.
        qmlRegisterUncreatableMetaObject(Tolvan::staticMetaObject, "Tolvan", 1, 0, "Enums",
                                         QStringLiteral("Enums holds values only."));
        // How a workspace's status line is drawn, as StatusKind.Progress and so on.
        qmlRegisterUncreatableMetaObject(StatusLine::staticMetaObject, "Tolvan", 1, 0, "StatusKind",
                                         QStringLiteral("StatusKind holds values only."));
    }
    return *m_engine;
}

QQuickWindow *WindowScenes::create(const QUrl &url)
{
    QQmlComponent component(&engine(), url);
    QObject *object = component.create();
    auto *window = qobject_cast<QQuickWindow *>(object);
    if (!window) {
        delete object;
        Q_EMIT failed(component.errorString());
        return nullptr;
    }
    return window;
}

void WindowScenes::openMainWindow()
{
    if (!m_main) {
        QQuickWindow *window = create(mainWindowURL);
        if (!window) {
            return;
        }
        const QScreen *screen =
            window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        window->setGeometry(WindowGeometry::fitted(m_geometry.load(), screen->availableGeometry(),
                                                   window->minimumSize()));
        new ShortcutWindowAccessor(*window, &m_shortcut, m_onMainWindowClose);
        forgetOnClose(window, [this, window] { m_geometry.save(window->geometry()); });
        m_main = window;
        Q_EMIT mainWindowCreated(window);
    }
    m_raiser.bringForward(*m_main);
}

void WindowScenes::openSettingsWindow()
{
    if (!m_settings) {
        m_settings = create(settingsWindowURL);
        if (!m_settings) {
            return;
        }
        forgetOnClose(m_settings, [] {});
    }
    m_raiser.bringForward(*m_settings);
}

void WindowScenes::closeKeyWindow()
{
    if (QWindow *window = QGuiApplication::focusWindow()) {
        // A popover belongs to the window under it.
        while (window->transientParent()) {
            window = window->transientParent();
        }
        window->close();
    }
}

void WindowScenes::forgetOnClose(QQuickWindow *window, std::function<void()> onClose)
{
    new CloseWatcher(*window, std::move(onClose));
}

} // namespace Tolvan
