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
        m_sharedWith.removeAll(nullptr);
        for (const QPointer<QQuickWindow> &window : std::as_const(m_sharedWith)) {
            copyApplicationPalette(*window);
        }
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
    // The widget style etches disabled menu texts in the light colour, which
    // on a dark menu reads as a white shadow: the etch takes the menu's colour.
    palette.setColor(QPalette::Disabled, QPalette::Light, color(ColorToken::Canvas));
    QGuiApplication::setPalette(palette);
}

void Theme::sharePalette(QQuickWindow *window)
{
    if (!window) {
        return;
    }
    m_sharedWith.append(window);
    copyApplicationPalette(*window);
}

void Theme::copyApplicationPalette(QQuickWindow &window)
{
    // The window's palette object (QML's Window.palette) and its three colour
    // groups, set role by role.
    auto *target = window.property("palette").value<QObject *>();
    if (!target) {
        return;
    }
    static constexpr std::array groups{std::pair{"active", QPalette::Active},
                                       std::pair{"inactive", QPalette::Inactive},
                                       std::pair{"disabled", QPalette::Disabled}};
    static constexpr std::array roles{std::pair{"window", QPalette::Window},
                                      std::pair{"windowText", QPalette::WindowText},
                                      std::pair{"base", QPalette::Base},
                                      std::pair{"alternateBase", QPalette::AlternateBase},
                                      std::pair{"text", QPalette::Text},
                                      std::pair{"placeholderText", QPalette::PlaceholderText},
                                      std::pair{"button", QPalette::Button},
                                      std::pair{"buttonText", QPalette::ButtonText},
                                      std::pair{"brightText", QPalette::BrightText},
                                      std::pair{"light", QPalette::Light},
                                      std::pair{"midlight", QPalette::Midlight},
                                      std::pair{"mid", QPalette::Mid},
                                      std::pair{"dark", QPalette::Dark},
                                      std::pair{"shadow", QPalette::Shadow},
                                      std::pair{"highlight", QPalette::Highlight},
                                      std::pair{"highlightedText", QPalette::HighlightedText},
                                      std::pair{"toolTipBase", QPalette::ToolTipBase},
                                      std::pair{"toolTipText", QPalette::ToolTipText},
                                      std::pair{"link", QPalette::Link},
                                      std::pair{"linkVisited", QPalette::LinkVisited}};
    const QPalette source = QGuiApplication::palette();
    for (const auto &[groupName, group] : groups) {
        auto *colors = target->property(groupName).value<QObject *>();
        if (!colors) {
            continue;
        }
        for (const auto &[roleName, role] : roles) {
            colors->setProperty(roleName, source.color(group, role));
        }
    }
}

} // namespace Tolvan
