#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

// Shows a popover window under its anchor and closes it on every way a user
// dismisses it: a click outside it or on the anchor, Escape, the anchor's
// window moving, resizing or closing, or the application losing the focus.
// A dismissal by the user sets `isPresented` back to false; turning
// `isPresented` false closes the window without more.
class PopoverController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *anchor READ anchor WRITE setAnchor NOTIFY anchorChanged)
    Q_PROPERTY(QQuickWindow *popup READ popup WRITE setPopup NOTIFY popupChanged)
    Q_PROPERTY(bool isPresented READ isPresented WRITE setIsPresented NOTIFY isPresentedChanged)

public:
    explicit PopoverController(QObject *parent = nullptr);
    ~PopoverController() override;

    QQuickItem *anchor() const { return m_anchor; }
    void setAnchor(QQuickItem *anchor);
    QQuickWindow *popup() const { return m_popup; }
    void setPopup(QQuickWindow *popup);
    bool isPresented() const { return m_isPresented; }
    void setIsPresented(bool isPresented);

Q_SIGNALS:
    void anchorChanged();
    void popupChanged();
    void isPresentedChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void present();
    void dismiss();
    void dismissByUser();
    bool isInsideAnchor(const QPointF &globalPosition) const;

    QPointer<QQuickItem> m_anchor;
    QPointer<QQuickWindow> m_popup;
    QPointer<QWindow> m_parentWindow;
    bool m_isPresented = false;
    bool m_isShown = false;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace Tolvan
