#pragma once

#include "colortoken.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace Tolvan {

class DesktopAppearance;

// The design tokens as QML sees them: the twelve colours of the effective
// appearance, the text styles and the icon glyphs. Every colour changes at
// once when the appearance does, in every window.
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isDark READ isDark NOTIFY paletteChanged)
    Q_PROPERTY(QColor canvas READ canvas NOTIFY paletteChanged)
    Q_PROPERTY(QColor surface READ surface NOTIFY paletteChanged)
    Q_PROPERTY(QColor border READ border NOTIFY paletteChanged)
    Q_PROPERTY(QColor divider READ divider NOTIFY paletteChanged)
    Q_PROPERTY(QColor textPrimary READ textPrimary NOTIFY paletteChanged)
    Q_PROPERTY(QColor textSecondary READ textSecondary NOTIFY paletteChanged)
    Q_PROPERTY(QColor accent READ accent NOTIFY paletteChanged)
    Q_PROPERTY(QColor controlBackground READ controlBackground NOTIFY paletteChanged)
    Q_PROPERTY(QColor controlSelected READ controlSelected NOTIFY paletteChanged)
    Q_PROPERTY(QColor elevatedControl READ elevatedControl NOTIFY paletteChanged)
    Q_PROPERTY(QColor success READ success NOTIFY paletteChanged)
    Q_PROPERTY(QColor onAccent READ onAccent NOTIFY paletteChanged)
    // The system red of destructive actions, outside the twelve tokens.
    Q_PROPERTY(QColor destructive READ destructive NOTIFY paletteChanged)
    Q_PROPERTY(QString iconFontFamily READ iconFontFamily CONSTANT)

public:
    explicit Theme(DesktopAppearance &appearance, QObject *parent = nullptr);

    static Theme *create(QQmlEngine *, QJSEngine *);

    bool isDark() const;
    QColor color(ColorToken token) const;
    QColor canvas() const { return color(ColorToken::Canvas); }
    QColor surface() const { return color(ColorToken::Surface); }
    QColor border() const { return color(ColorToken::Border); }
    QColor divider() const { return color(ColorToken::Divider); }
    QColor textPrimary() const { return color(ColorToken::TextPrimary); }
    QColor textSecondary() const { return color(ColorToken::TextSecondary); }
    QColor accent() const { return color(ColorToken::Accent); }
    QColor controlBackground() const { return color(ColorToken::ControlBackground); }
    QColor controlSelected() const { return color(ColorToken::ControlSelected); }
    QColor elevatedControl() const { return color(ColorToken::ElevatedControl); }
    QColor success() const { return color(ColorToken::Success); }
    QColor onAccent() const { return color(ColorToken::OnAccent); }
    QColor destructive() const;
    // Installed with the app, and found by name like any desktop font:
    // registering the file again would only cost the start its parsing.
    QString iconFontFamily() const { return QStringLiteral("Material Icons"); }

    // A colour by its asset name ("Canvas", "TextSecondary", …).
    Q_INVOKABLE QColor named(const QString &assetName) const;
    // The text style of `size` pixels and `weight` (Font.Normal, Font.Medium,
    // Font.DemiBold); sizes outside the design's set fall back to 13.
    Q_INVOKABLE QFont font(int size, int weight = QFont::Normal) const;
    // The glyph drawing a symbol, in the icon font.
    Q_INVOKABLE QString icon(const QString &symbolName) const;
    // Gives a plain window the application's colours, now and whenever the
    // appearance changes, for the library controls it shows (menus, tool
    // tips): unlike an ApplicationWindow, it does not take them itself.
    Q_INVOKABLE void sharePalette(QQuickWindow *window);

Q_SIGNALS:
    void paletteChanged();

private:
    void applyWidgetPalette() const;
    static void copyApplicationPalette(QQuickWindow &window);

    DesktopAppearance &m_appearance;
    QList<QPointer<QQuickWindow>> m_sharedWith;
};

} // namespace Tolvan
