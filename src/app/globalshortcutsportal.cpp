#include "globalshortcutsportal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>

namespace Tolvan {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// One entry of the portal's a(sa{sv}) shortcut list.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

struct Shortcut {
    const char *id;
    InstanceRequest::Action action;
    const char *description;
    // In the portal's notation: the modifiers, then the XKB name of the key.
    const char *preferredTrigger;
};

constexpr Shortcut shortcuts[] = {
    {"translate-clipboard", InstanceRequest::Action::TranslateClipboard,
     QT_TRANSLATE_NOOP("GlobalShortcutsPortal", "Translate clipboard"), "CTRL+ALT+t"},
    {"improve-clipboard", InstanceRequest::Action::ImproveClipboard,
     QT_TRANSLATE_NOOP("GlobalShortcutsPortal", "Improve clipboard"), "CTRL+ALT+w"},
};

} // namespace

} // namespace Tolvan

Q_DECLARE_METATYPE(Tolvan::PortalShortcut)

namespace Tolvan {

GlobalShortcutsPortal::GlobalShortcutsPortal(QObject *parent)
    : QObject(parent)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

void GlobalShortcutsPortal::bind()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage read = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    read << interface << QStringLiteral("version");
    bus.callWithCallback(read, this, SLOT(versionRead(QDBusMessage)));
}

void GlobalShortcutsPortal::versionRead(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return;
    }
    const QString token = awaitResponse(SLOT(sessionCreated(uint, QVariantMap)));
    call(QStringLiteral("CreateSession"),
         {QVariantMap{{QStringLiteral("handle_token"), token},
                      {QStringLiteral("session_handle_token"), token}}});
}

void GlobalShortcutsPortal::sessionCreated(uint response, const QVariantMap &results)
{
    stopAwaiting();
    // An object path, sent as a string by the portals of this interface's age.
    const QVariant session = results.value(QStringLiteral("session_handle"));
    m_sessionPath = session.metaType() == QMetaType::fromType<QDBusObjectPath>()
                        ? session.value<QDBusObjectPath>().path()
                        : session.toString();
    if (response != 0 || m_sessionPath.isEmpty()) {
        return;
    }
    QDBusConnection::sessionBus().connect(
        service, path, interface, QStringLiteral("Activated"), this,
        SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

    QList<PortalShortcut> list;
    for (const Shortcut &shortcut : shortcuts) {
        list.append({QString::fromLatin1(shortcut.id),
                     {{QStringLiteral("description"),
                       QCoreApplication::translate("GlobalShortcutsPortal", shortcut.description)},
                      {QStringLiteral("preferred_trigger"),
                       QString::fromLatin1(shortcut.preferredTrigger)}}});
    }
    const QString token = awaitResponse(SLOT(shortcutsBound(uint, QVariantMap)));
    call(QStringLiteral("BindShortcuts"),
         {QVariant::fromValue(QDBusObjectPath(m_sessionPath)), QVariant::fromValue(list), QString(),
          QVariantMap{{QStringLiteral("handle_token"), token}}});
}

void GlobalShortcutsPortal::shortcutsBound(uint, const QVariantMap &)
{
    // Bound or declined by the user: either way the desktop now knows them,
    // and its settings can bind them later.
    stopAwaiting();
}

void GlobalShortcutsPortal::activated(const QDBusObjectPath &session, const QString &shortcutID,
                                      qulonglong, const QVariantMap &options)
{
    if (session.path() != m_sessionPath) {
        return;
    }
    for (const Shortcut &shortcut : shortcuts) {
        if (shortcutID == QLatin1String(shortcut.id)) {
            emit requested(
                {.action = shortcut.action,
                 .activationToken = options.value(QStringLiteral("activation_token")).toString()});
            return;
        }
    }
}

QString GlobalShortcutsPortal::awaitResponse(const char *slot)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal's request path: the caller's unique name without its colon,
    // dots as underscores, then the handle token.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString token = QStringLiteral("tolvan%1").arg(++m_tokenCount);
    m_requestPath = QStringLiteral("%1/request/%2/%3").arg(path, sender, token);
    m_responseSlot = slot;
    bus.connect(service, m_requestPath, requestInterface, QStringLiteral("Response"), this, slot);
    return token;
}

void GlobalShortcutsPortal::stopAwaiting()
{
    QDBusConnection::sessionBus().disconnect(service, m_requestPath, requestInterface,
                                             QStringLiteral("Response"), this, m_responseSlot);
}

void GlobalShortcutsPortal::call(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusConnection::sessionBus().asyncCall(message);
}

} // namespace Tolvan
