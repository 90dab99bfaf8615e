#include "shortcutwindowaccessor.h"

#include "globalcopyshortcut.h"

#include <QEvent>

namespace Tolvan {

ShortcutWindowAccessor::ShortcutWindowAccessor(QWindow &window, GlobalCopyShortcut *shortcut,
                                               std::function<void()> onWindowClose)
    : QObject(&window)
    , m_window(&window)
    , m_shortcut(shortcut)
    , m_onWindowClose(std::move(onWindowClose))
{
    window.setObjectName(QStringLiteral("main"));
    window.installEventFilter(this);
    if (m_shortcut) {
        m_shortcut->setWindow(&window);
    }
}

bool ShortcutWindowAccessor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && event->isAccepted()) {
        if (m_onWindowClose) {
            m_onWindowClose();
        }
        if (m_shortcut) {
            m_shortcut->windowWillClose(m_window);
        }
    }
    return false;
}

} // namespace Tolvan
