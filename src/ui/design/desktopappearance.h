#pragma once

#include "applicationappearance.h"

#include <QObject>

#include <optional>

class QDBusVariant;

namespace Tolvan {

// The effective light or dark appearance of every window: the user's choice,
// or for "system" the desktop's colour-scheme preference from the XDG desktop
// portal, followed live, and the lightness of the system palette where no
// portal answers.
class DesktopAppearance : public QObject, public ApplicationAppearance {
    Q_OBJECT
    Q_PROPERTY(bool isDark READ isDark NOTIFY isDarkChanged)

public:
    explicit DesktopAppearance(QObject *parent = nullptr);

    void apply(AppAppearance appearance) override;
    bool isDark() const { return m_isDark; }
    // Starts reading and following the portal's preference; answers arrive later.
    void watchDesktop();

Q_SIGNALS:
    void isDarkChanged();

private Q_SLOTS:
    void settingChanged(const QString &settingNamespace, const QString &key,
                        const QDBusVariant &value);

private:
    void setDesktopPrefersDark(std::optional<bool> prefersDark);
    void update();
    // Read once, before the app puts its own palette in place.
    static bool systemPaletteIsDark();

    AppAppearance m_choice = AppAppearance::System;
    const bool m_systemPaletteIsDark;
    std::optional<bool> m_desktopPrefersDark;
    bool m_isDark = false;
    bool m_isWatching = false;
};

} // namespace Tolvan
