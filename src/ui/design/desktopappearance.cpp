#include "desktopappearance.h"

#include "portalcolorscheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

namespace Tolvan {

DesktopAppearance::DesktopAppearance(QObject *parent)
    : QObject(parent)
    , m_systemPaletteIsDark(systemPaletteIsDark())
{
    update();
}

void DesktopAppearance::apply(AppAppearance appearance)
{
    m_choice = appearance;
    update();
}

void DesktopAppearance::watchDesktop()
{
    if (m_isWatching) {
        return;
    }
    m_isWatching = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(QLatin1String(PortalColorScheme::service), QLatin1String(PortalColorScheme::path),
                QLatin1String(PortalColorScheme::interface), QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(
        QLatin1String(PortalColorScheme::service), QLatin1String(PortalColorScheme::path),
        QLatin1String(PortalColorScheme::interface), QStringLiteral("Read"));
    read << QLatin1String(PortalColorScheme::settingNamespace)
         << QLatin1String(PortalColorScheme::settingKey);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](auto *call) {
        call->deleteLater();
        const QDBusPendingReply<QVariant> reply = *call;
        if (!reply.isError()) {
            setDesktopPrefersDark(PortalColorScheme::prefersDark(reply.value()));
        }
    });
}

void DesktopAppearance::settingChanged(const QString &settingNamespace, const QString &key,
                                       const QDBusVariant &value)
{
    if (settingNamespace == QLatin1String(PortalColorScheme::settingNamespace) &&
        key == QLatin1String(PortalColorScheme::settingKey)) {
        setDesktopPrefersDark(PortalColorScheme::prefersDark(QVariant::fromValue(value)));
    }
}

void DesktopAppearance::setDesktopPrefersDark(std::optional<bool> prefersDark)
{
    m_desktopPrefersDark = prefersDark;
    update();
}

void DesktopAppearance::update()
{
    bool isDark = false;
    switch (m_choice) {
    case AppAppearance::Light:
        break;
    case AppAppearance::Dark:
        isDark = true;
        break;
    case AppAppearance::System:
        isDark = m_desktopPrefersDark.value_or(m_systemPaletteIsDark);
        break;
    }
    if (isDark != m_isDark) {
        m_isDark = isDark;
        Q_EMIT isDarkChanged();
    }
}

bool DesktopAppearance::systemPaletteIsDark()
{
    if (!qGuiApp) {
        return false;
    }
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

} // namespace Tolvan
