#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

namespace Tolvan {

class GlobalCopyShortcut;

// Tells the double-copy shortcut which window is the main window, and runs
// the main window's close handler when it closes.
class ShortcutWindowAccessor : public QObject {
    Q_OBJECT

public:
    ShortcutWindowAccessor(QWindow &window, GlobalCopyShortcut *shortcut,
                           std::function<void()> onWindowClose);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWindow> m_window;
    QPointer<GlobalCopyShortcut> m_shortcut;
    std::function<void()> m_onWindowClose;
};

} // namespace Tolvan
