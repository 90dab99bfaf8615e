#pragma once

#include <QVariant>

#include <optional>

namespace Tolvan {

// The desktop's colour-scheme preference as the XDG desktop portal reports it
// (org.freedesktop.appearance color-scheme: 0 no preference, 1 dark, 2 light).
class PortalColorScheme {
public:
    static constexpr char service[] = "org.freedesktop.portal.Desktop";
    static constexpr char path[] = "/org/freedesktop/portal/desktop";
    static constexpr char interface[] = "org.freedesktop.portal.Settings";
    static constexpr char settingNamespace[] = "org.freedesktop.appearance";
    static constexpr char settingKey[] = "color-scheme";

    // True for dark, false for light; none when the desktop states no
    // preference or the value is not one the portal defines. Read answers
    // the value wrapped in one variant more than SettingChanged does; both
    // are accepted.
    static std::optional<bool> prefersDark(const QVariant &value);
};

} // namespace Tolvan
