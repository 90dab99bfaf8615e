#include "buttonbase.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace Tolvan {

ButtonBase::ButtonBase(QQuickItem *parent)
    : QQuickItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptHoverEvents(true);
    setActiveFocusOnTab(true);
}

void ButtonBase::setText(const QString &text)
{
    if (m_text == text) {
        return;
    }
    m_text = text;
    Q_EMIT textChanged();
}

void ButtonBase::click()
{
    if (isEnabled()) {
        Q_EMIT clicked();
    }
}

void ButtonBase::mousePressEvent(QMouseEvent *event)
{
    // A button left out of the Tab order keeps the focus where it is.
    if (activeFocusOnTab()) {
        forceActiveFocus(Qt::MouseFocusReason);
    }
    setDown(true);
    event->accept();
}

void ButtonBase::mouseReleaseEvent(QMouseEvent *event)
{
    // Released away from the button, the press is taken back.
    const bool inside = contains(event->position());
    const bool wasDown = m_down;
    setDown(false);
    event->accept();
    if (wasDown && inside) {
        Q_EMIT clicked();
    }
}

void ButtonBase::mouseUngrabEvent()
{
    setDown(false);
}

void ButtonBase::hoverEnterEvent(QHoverEvent *event)
{
    setHovered(true);
    event->accept();
}

void ButtonBase::hoverLeaveEvent(QHoverEvent *event)
{
    setHovered(false);
    event->accept();
}

void ButtonBase::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        event->ignore();
        return;
    }
    if (!event->isAutoRepeat()) {
        setDown(true);
    }
    event->accept();
}

void ButtonBase::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        event->ignore();
        return;
    }
    event->accept();
    if (!event->isAutoRepeat() && m_down) {
        setDown(false);
        Q_EMIT clicked();
    }
}

void ButtonBase::focusInEvent(QFocusEvent *event)
{
    QQuickItem::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    setVisualFocus(reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                   reason == Qt::ShortcutFocusReason);
}

void ButtonBase::focusOutEvent(QFocusEvent *event)
{
    QQuickItem::focusOutEvent(event);
    setVisualFocus(false);
    setDown(false);
}

void ButtonBase::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemEnabledHasChanged && !value.boolValue) {
        setDown(false);
        setHovered(false);
    }
}

void ButtonBase::setDown(bool down)
{
    if (m_down == down) {
        return;
    }
    m_down = down;
    Q_EMIT downChanged();
}

void ButtonBase::setHovered(bool hovered)
{
    if (m_hovered == hovered) {
        return;
    }
    m_hovered = hovered;
    Q_EMIT hoveredChanged();
}

void ButtonBase::setVisualFocus(bool visualFocus)
{
    if (m_visualFocus == visualFocus) {
        return;
    }
    m_visualFocus = visualFocus;
    Q_EMIT visualFocusChanged();
}

} // namespace Tolvan
