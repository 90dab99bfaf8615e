#include "theme.h"

#include "desktopappearance.h"
#include "icontable.h"
#include "palette.h"
#include "tolvanapp.h"

#include <QGuiApplication>
#include <QJSEngine>
#include <QPalette>

#include <array>

namespace Tolvan {

namespace {

constexpr std::array textSizes{11, 12, 13, 14, 16};

} // namespace

Theme::Theme(DesktopAppearance &appearance, QObject *parent)
    : QObject(parent)
    , m_appearance(appearance)
{
    connect(&m_appearance, &DesktopAppearance::isDarkChanged, this, [this] {
        applyWidgetPalette();
        Q_EMIT paletteChanged();
    });
    applyWidgetPalette();
}

Theme *Theme::create(QQmlEngine *, QJSEngine *)
{
    Theme *theme = &TolvanApp::instance()->theme();
    QJSEngine::setObjectOwnership(theme, QJSEngine::CppOwnership);
    return theme;
}

bool Theme::isDark() const
{
    return m_appearance.isDark();
}

QColor Theme::color(ColorToken token) const
{
    return Palette::color(token, isDark());
}

QColor Theme::destructive() const
{
    return isDark() ? QColor(0xff, 0x6b, 0x60) : QColor(0xd0, 0x2c, 0x20);
}

QColor Theme::named(const QString &assetName) const
{
    const auto token = Palette::tokenNamed(assetName);
    return token ? color(*token) : QColor();
}

QFont Theme::font(int size, int weight) const
{
    QFont font = QGuiApplication::font();
    const bool known = std::find(textSizes.begin(), textSizes.end(), size) != textSizes.end();
    font.setPixelSize(known ? size : 13);
    font.setWeight(QFont::Weight(weight));
    return font;
}

QString Theme::icon(const QString &symbolName) const
{
    return IconTable::glyph(symbolName);
}

void Theme::applyWidgetPalette() const
{
    // The tray menu and the dialogs are widgets: they take the same colours.
    QPalette palette;
    palette.setColor(QPalette::Window, color(ColorToken::Canvas));
    palette.setColor(QPalette::Base, color(ColorToken::Surface));
    palette.setColor(QPalette::AlternateBase, color(ColorToken::ControlBackground));
    palette.setColor(QPalette::Button, color(ColorToken::ElevatedControl));
    palette.setColor(QPalette::WindowText, color(ColorToken::TextPrimary));
    palette.setColor(QPalette::Text, color(ColorToken::TextPrimary));
    palette.setColor(QPalette::ButtonText, color(ColorToken::TextPrimary));
    palette.setColor(QPalette::PlaceholderText, color(ColorToken::TextSecondary));
    palette.setColor(QPalette::Highlight, color(ColorToken::Accent));
    palette.setColor(QPalette::HighlightedText, color(ColorToken::OnAccent));
    palette.setColor(QPalette::Mid, color(ColorToken::Border));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, color(ColorToken::TextSecondary));
    palette.setColor(QPalette::Disabled, QPalette::Text, color(ColorToken::TextSecondary));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, color(ColorToken::TextSecondary));
    QGuiApplication::setPalette(palette);
}

} // namespace Tolvan
