#include "keychaincredentialstorage.h"

#include <libsecret/secret.h>

#include <memory>

namespace Tolvan {

namespace {

constexpr int statusUnusable = 0;
constexpr int statusCancelled = -128;
constexpr int statusAccessDenied = -25293;
constexpr int statusLocked = -25308;
constexpr int statusNoService = -34018;

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct ErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
struct HashTableUnref {
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};
struct ValueUnref {
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};
struct ItemListFree {
    void operator()(GList *items) const { g_list_free_full(items, g_object_unref); }
};

using ServicePtr = std::unique_ptr<SecretService, ObjectUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using ValuePtr = std::unique_ptr<SecretValue, ValueUnref>;
using ItemListPtr = std::unique_ptr<GList, ItemListFree>;

const SecretSchema sessionSchema = {
    "app.tolvan.Tolvan.Session",
    // Items are found by their two attributes alone, whoever wrote them.
    SECRET_SCHEMA_DONT_MATCH_NAME,
    {
        {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
};

AttributesPtr sessionAttributes()
{
    return AttributesPtr(secret_attributes_build(
        &sessionSchema, "service", KeychainCredentialStorage::serviceAttribute, "account",
        KeychainCredentialStorage::accountAttribute, nullptr));
}

ServiceError lockedError()
{
    return ServiceError::keychain(statusLocked, QStringLiteral("The keyring is locked."));
}

ServiceError noServiceError()
{
    return ServiceError::keychain(statusNoService,
                                  QStringLiteral("No Secret Service is available."));
}

bool isMissingService(const GError *error)
{
    if (error->domain != G_DBUS_ERROR) {
        return false;
    }
    switch (error->code) {
    case G_DBUS_ERROR_SERVICE_UNKNOWN:
    case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
    case G_DBUS_ERROR_NO_SERVER:
    case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
    case G_DBUS_ERROR_SPAWN_FORK_FAILED:
    case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
    case G_DBUS_ERROR_SPAWN_CHILD_SIGNALED:
    case G_DBUS_ERROR_SPAWN_FAILED:
    case G_DBUS_ERROR_SPAWN_SETUP_FAILED:
    case G_DBUS_ERROR_SPAWN_CONFIG_INVALID:
    case G_DBUS_ERROR_SPAWN_SERVICE_INVALID:
    case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
    case G_DBUS_ERROR_SPAWN_PERMISSIONS_INVALID:
    case G_DBUS_ERROR_SPAWN_FILE_INVALID:
    case G_DBUS_ERROR_SPAWN_NO_MEMORY:
        return true;
    default:
        return false;
    }
}

ServiceError keyringError(ErrorPtr error)
{
    if (isMissingService(error.get())) {
        return noServiceError();
    }
    if (g_error_matches(error.get(), SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) {
        return lockedError();
    }
    if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        return ServiceError::keychain(statusCancelled,
                                      QStringLiteral("The unlock request was cancelled."));
    }
    // The user reads the service's own words, without the D-Bus error name.
    g_dbus_error_strip_remote_error(error.get());
    const QString message = QString::fromUtf8(error->message).trimmed();
    if (g_error_matches(error.get(), G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED)) {
        return ServiceError::keychain(statusAccessDenied, message);
    }
    return ServiceError::keychain(error->code, message);
}

Result<ServicePtr> openService()
{
    GError *error = nullptr;
    // Without a session bus there is no Secret Service to ask.
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        ErrorPtr ignored(error);
        return noServiceError();
    }
    g_object_unref(bus);
    // The process-wide connection, which keeps one session with the service.
    // It never loads the collections, so every search builds its items afresh
    // and their locked state is current.
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    if (!service) {
        return keyringError(ErrorPtr(error));
    }
    return ServicePtr(service);
}

// Every matching item. Locked ones are unlocked where the desktop lets the
// user do so; those that stay locked are still listed.
Result<ItemListPtr> findItems(SecretService *service, SecretSearchFlags extraFlags)
{
    const AttributesPtr attributes = sessionAttributes();
    GError *error = nullptr;
    GList *items = secret_service_search_sync(
        service, &sessionSchema, attributes.get(),
        static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK | extraFlags),
        nullptr, &error);
    if (error) {
        g_list_free_full(items, g_object_unref);
        return keyringError(ErrorPtr(error));
    }
    return ItemListPtr(items);
}

bool anyLocked(GList *items)
{
    for (GList *entry = items; entry; entry = entry->next) {
        if (secret_item_get_locked(SECRET_ITEM(entry->data))) {
            return true;
        }
    }
    return false;
}

SecretItem *firstUnlocked(GList *items)
{
    for (GList *entry = items; entry; entry = entry->next) {
        if (!secret_item_get_locked(SECRET_ITEM(entry->data))) {
            return SECRET_ITEM(entry->data);
        }
    }
    return nullptr;
}

} // namespace

Result<std::optional<AuthSession>> KeychainCredentialStorage::loadSession()
{
    auto service = openService();
    if (!service) {
        return service.error();
    }
    auto items = findItems(service.value().get(), SECRET_SEARCH_LOAD_SECRETS);
    if (!items) {
        return items.error();
    }
    if (!items.value()) {
        return std::optional<AuthSession>();
    }
    SecretItem *item = firstUnlocked(items.value().get());
    // A locked keyring hides the secret, not the item: the user is still signed in.
    if (!item) {
        return lockedError();
    }
    const ValuePtr value(secret_item_get_secret(item));
    gsize length = 0;
    const gchar *data = value ? secret_value_get(value.get(), &length) : nullptr;
    if (!data) {
        return ServiceError::keychain(statusUnusable,
                                      QStringLiteral("The saved item could not be read."));
    }
    auto session = AuthSession::decode(QByteArray(data, qsizetype(length)));
    if (!session) {
        return session.error();
    }
    return std::optional(std::move(session).value());
}

Result<void> KeychainCredentialStorage::saveSession(const AuthSession &session)
{
    const QByteArray data = session.encode();
    auto service = openService();
    if (!service) {
        return service.error();
    }
    auto items = findItems(service.value().get(), SECRET_SEARCH_NONE);
    if (!items) {
        return items.error();
    }
    // Checked before any write, so that a failed save changes nothing.
    if (anyLocked(items.value().get())) {
        return lockedError();
    }
    const ValuePtr value(secret_value_new(data.constData(), data.size(), "application/json"));
    GError *error = nullptr;
    if (!items.value()) {
        const AttributesPtr attributes = sessionAttributes();
        if (!secret_service_store_sync(service.value().get(), &sessionSchema, attributes.get(),
                                       SECRET_COLLECTION_DEFAULT, "Tolvan saved session",
                                       value.get(), nullptr, &error)) {
            return keyringError(ErrorPtr(error));
        }
        return {};
    }
    for (GList *entry = items.value().get(); entry; entry = entry->next) {
        if (!secret_item_set_secret_sync(SECRET_ITEM(entry->data), value.get(), nullptr, &error)) {
            return keyringError(ErrorPtr(error));
        }
    }
    return {};
}

Result<void> KeychainCredentialStorage::deleteSession()
{
    auto service = openService();
    if (!service) {
        return service.error();
    }
    auto items = findItems(service.value().get(), SECRET_SEARCH_NONE);
    if (!items) {
        return items.error();
    }
    // A locked item cannot be removed; leave every item as it was.
    if (anyLocked(items.value().get())) {
        return lockedError();
    }
    for (GList *entry = items.value().get(); entry; entry = entry->next) {
        GError *error = nullptr;
        if (!secret_item_delete_sync(SECRET_ITEM(entry->data), nullptr, &error)) {
            return keyringError(ErrorPtr(error));
        }
    }
    return {};
}

} // namespace Tolvan
