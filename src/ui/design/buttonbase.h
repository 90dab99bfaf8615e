#pragma once

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

// The behaviour of a push button without its looks, in plain Qt Quick: a
// left click or Space clicks it, it takes the focus from Tab and from a
// click (unless it is left out of the Tab order), and it tells its looks
// whether it is held down, hovered, or has the focus from the keyboard. The
// first screen is built on it so that a start needs no controls library.
class ButtonBase : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool down READ isDown NOTIFY downChanged)
    Q_PROPERTY(bool hovered READ isHovered NOTIFY hoveredChanged)
    Q_PROPERTY(bool visualFocus READ hasVisualFocus NOTIFY visualFocusChanged)

public:
    explicit ButtonBase(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    bool isDown() const { return m_down; }
    bool isHovered() const { return m_hovered; }
    bool hasVisualFocus() const { return m_visualFocus; }

    // What an assistive technology's press action does.
    Q_INVOKABLE void click();

Q_SIGNALS:
    void textChanged();
    void downChanged();
    void hoveredChanged();
    void visualFocusChanged();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseUngrabEvent() override;
    void hoverEnterEvent(QHoverEvent *event) override;
    void hoverLeaveEvent(QHoverEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    void setDown(bool down);
    void setHovered(bool hovered);
    void setVisualFocus(bool visualFocus);

    QString m_text;
    bool m_down = false;
    bool m_hovered = false;
    bool m_visualFocus = false;
};

} // namespace Tolvan
