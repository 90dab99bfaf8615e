#include "popovercontroller.h"

#include "popoverplacement.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace Tolvan {

PopoverController::PopoverController(QObject *parent)
    : QObject(parent)
{
}

PopoverController::~PopoverController()
{
    dismiss();
}

void PopoverController::setAnchor(QQuickItem *anchor)
{
    if (anchor != m_anchor) {
        m_anchor = anchor;
        Q_EMIT anchorChanged();
    }
}

void PopoverController::setPopup(QQuickWindow *popup)
{
    if (popup != m_popup) {
        m_popup = popup;
        Q_EMIT popupChanged();
    }
}

void PopoverController::setIsPresented(bool isPresented)
{
    if (isPresented == m_isPresented) {
        return;
    }
    m_isPresented = isPresented;
    Q_EMIT isPresentedChanged();
    // After the current update, never inside it.
    QTimer::singleShot(0, this, [this] { m_isPresented ? present() : dismiss(); });
}

void PopoverController::present()
{
    if (m_isShown) {
        // New content keeps the window where and as large as it is.
        return;
    }
    if (!m_anchor || !m_popup || !m_anchor->window()) {
        return;
    }
    QWindow *window = m_anchor->window();
    const QPointF topLeft = m_anchor->mapToGlobal(QPointF(0, 0));
    const QRect anchorRect(topLeft.toPoint(), m_anchor->size().toSize());
    const QSize size = m_popup->size();
    const QRect available =
        window->screen() ? window->screen()->availableGeometry() : window->frameGeometry();
    m_popup->setTransientParent(window);
    m_popup->setPosition(PopoverPlacement::topLeft(anchorRect, size, available));
    m_popup->show();
    m_popup->raise();
    m_popup->requestActivate();
    m_isShown = true;
    m_parentWindow = window;

    qApp->installEventFilter(this);
    const auto close = [this] { dismissByUser(); };
    m_connections = {
        connect(window, &QWindow::xChanged, this, close),
        connect(window, &QWindow::yChanged, this, close),
        connect(window, &QWindow::widthChanged, this, close),
        connect(window, &QWindow::heightChanged, this, close),
        connect(window, &QWindow::visibleChanged, this, close),
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state != Qt::ApplicationActive) {
                        dismissByUser();
                    }
                }),
    };
}

void PopoverController::dismiss()
{
    for (const auto &connection : std::as_const(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();
    if (!m_isShown) {
        return;
    }
    m_isShown = false;
    qApp->removeEventFilter(this);
    if (m_popup) {
        m_popup->hide();
    }
    if (m_parentWindow) {
        m_parentWindow->requestActivate();
    }
}

void PopoverController::dismissByUser()
{
    dismiss();
    if (m_isPresented) {
        m_isPresented = false;
        Q_EMIT isPresentedChanged();
    }
}

bool PopoverController::isInsideAnchor(const QPointF &globalPosition) const
{
    if (!m_anchor) {
        return false;
    }
    const QPointF local = m_anchor->mapFromGlobal(globalPosition);
    return m_anchor->contains(local);
}

bool PopoverController::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_isShown || !watched->isWindowType()) {
        return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        dismissByUser();
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress) {
        return false;
    }
    if (watched == m_popup) {
        return false;
    }
    const auto *mouse = static_cast<QMouseEvent *>(event);
    // A click on the anchor closes the popover instead of opening it again.
    const bool onAnchor = watched == m_parentWindow && isInsideAnchor(mouse->globalPosition());
    dismissByUser();
    return onAnchor;
}

} // namespace Tolvan
