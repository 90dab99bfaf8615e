// Runs under tests/support/with-secret-service.sh: "keyring" against a real
// gnome-keyring-daemon, "none" on a bus without any Secret Service.

#include "keychaincredentialstorage.h"

#include <QTest>

#include <libsecret/secret.h>

#include <cstdio>
#include <functional>

using namespace Tolvan;

namespace {

const SecretSchema itemSchema = {
    "tolvan.test.Item",
    SECRET_SCHEMA_DONT_MATCH_NAME,
    {
        {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
};

AuthSession sampleSession(const QString &accessToken)
{
    return AuthSession{
        .tokens = {.accessToken = accessToken,
                   .refreshToken = QStringLiteral("refresh-") + accessToken,
                   .tokenType = QStringLiteral("Bearer"),
                   .expiresIn = 900,
                   .refreshExpiresIn = 2592000,
                   .user = {.id = 9007199254740993, .email = QStringLiteral("ada@example.org")}},
        .accessExpiresAt = QDateTime::fromMSecsSinceEpoch(1740830400123, Qt::UTC),
        .refreshExpiresAt = QDateTime::fromMSecsSinceEpoch(1743422400456, Qt::UTC),
    };
}

// The keyring as another program sees it, without unlocking anything.
class KeyringView {
public:
    // A connection of its own: it loads the collections, which would leave the
    // storage's items with a stale locked state if the two shared one.
    KeyringView()
    {
        service = secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr,
                                           SECRET_SERVICE_OPEN_SESSION, nullptr, nullptr);
    }
    ~KeyringView() { g_clear_object(&service); }

    GHashTable *attributes() const
    {
        return secret_attributes_build(&itemSchema, "service", "app.tolvan.Tolvan.auth", "account",
                                       "device-session", nullptr);
    }

    // Calls `visit` for every item with the session's attributes.
    int forEachItem(const std::function<void(SecretItem *)> &visit = {}) const
    {
        GHashTable *query = attributes();
        GList *items = secret_service_search_sync(
            service, &itemSchema, query,
            static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr,
            nullptr);
        g_hash_table_unref(query);
        const int count = int(g_list_length(items));
        for (GList *entry = items; entry && visit; entry = entry->next) {
            visit(SECRET_ITEM(entry->data));
        }
        g_list_free_full(items, g_object_unref);
        return count;
    }

    QList<QByteArray> secrets() const
    {
        QList<QByteArray> found;
        forEachItem([&found](SecretItem *item) {
            SecretValue *value = secret_item_get_secret(item);
            if (!value) {
                found.append(QByteArray());
                return;
            }
            gsize length = 0;
            const gchar *data = secret_value_get(value, &length);
            found.append(QByteArray(data, qsizetype(length)));
            secret_value_unref(value);
        });
        return found;
    }

    bool store(const QByteArray &data) const
    {
        GHashTable *query = attributes();
        SecretValue *value = secret_value_new(data.constData(), data.size(), "text/plain");
        const bool stored =
            secret_service_store_sync(service, &itemSchema, query, SECRET_COLLECTION_DEFAULT,
                                      "planted", value, nullptr, nullptr);
        secret_value_unref(value);
        g_hash_table_unref(query);
        return stored;
    }

    void clear() const
    {
        GHashTable *query = attributes();
        secret_service_clear_sync(service, &itemSchema, query, nullptr, nullptr);
        g_hash_table_unref(query);
    }

    int lockEverything() const
    {
        secret_service_load_collections_sync(service, nullptr, nullptr);
        GList *collections = secret_service_get_collections(service);
        const int locked =
            secret_service_lock_sync(service, collections, nullptr, nullptr, nullptr);
        g_list_free_full(collections, g_object_unref);
        return locked;
    }

    SecretService *service = nullptr;
};

} // namespace

class KeyringTest : public QObject {
    Q_OBJECT

private:
    KeychainCredentialStorage storage;
    KeyringView keyring;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(keyring.service, "the test keyring is not on the bus"); }
    void cleanup() { keyring.clear(); }

    void nothingSavedLoadsNone()
    {
        const auto loaded = storage.loadSession();
        QVERIFY(loaded.isOk());
        QVERIFY(!loaded.value().has_value());
    }

    void savingTwiceLeavesOneItemWithTheSecondSession()
    {
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("first"))).isOk());
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("second"))).isOk());

        const AuthSession second = sampleSession(QStringLiteral("second"));
        QCOMPARE(keyring.secrets(), QList<QByteArray>{second.encode()});
        const auto loaded = storage.loadSession();
        QVERIFY(loaded.isOk());
        QCOMPARE(loaded.value(), std::optional(second));
    }

    void deletingTwiceSucceedsTwice()
    {
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("first"))).isOk());

        QVERIFY(storage.deleteSession().isOk());
        QCOMPARE(keyring.forEachItem(), 0);
        QVERIFY(storage.deleteSession().isOk());
        QVERIFY(!storage.loadSession().value().has_value());
    }

    void undecodableItemFailsToDecodeAndStays()
    {
        const QByteArray planted = R"({"tokens":{"access_token":"a"}})";
        QVERIFY(keyring.store(planted));

        const auto loaded = storage.loadSession();
        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().kind(), ServiceError::Kind::Decoding);
        QCOMPARE(loaded.error().text(), AuthSession::decode(planted).error().text());
        QCOMPARE(keyring.secrets(), QList<QByteArray>{planted});
    }

    // Locking cannot be undone without a prompt, so this runs last.
    void lockedKeyringIsNotSignedOut()
    {
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("kept"))).isOk());
        QVERIFY(keyring.lockEverything() > 0);

        const QString lockedText = QStringLiteral(
            "Your saved session could not be accessed. The keyring is locked. (Keyring -25308). "
            "Unlock your login keyring, then retry.");
        const auto loaded = storage.loadSession();
        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().status(), -25308);
        QCOMPARE(loaded.error().text(), lockedText);
        const auto saved = storage.saveSession(sampleSession(QStringLiteral("other")));
        QVERIFY(!saved.isOk());
        QCOMPARE(saved.error().text(), lockedText);
        const auto removed = storage.deleteSession();
        QVERIFY(!removed.isOk());
        QCOMPARE(removed.error().text(), lockedText);
        QCOMPARE(keyring.forEachItem(), 1);
    }
};

class NoSecretServiceTest : public QObject {
    Q_OBJECT

private:
    static void verifyEveryCallFails()
    {
        const QString expected = QStringLiteral(
            "Your saved session could not be accessed. No Secret Service is available. (Keyring "
            "-34018). Start your desktop's keyring service (for example GNOME Keyring or KWallet), "
            "then retry.");
        KeychainCredentialStorage storage;
        const auto loaded = storage.loadSession();
        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().text(), expected);
        const auto saved = storage.saveSession(sampleSession(QStringLiteral("lost")));
        QVERIFY(!saved.isOk());
        QCOMPARE(saved.error().text(), expected);
        const auto removed = storage.deleteSession();
        QVERIFY(!removed.isOk());
        QCOMPARE(removed.error().text(), expected);
    }

private Q_SLOTS:
    // First: a failed connection is not remembered, one that succeeded would be.
    void withoutSessionBus()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tolvan-test-bus");
        verifyEveryCallFails();
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    }

    void busWithoutSecretService() { verifyEveryCallFails(); }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = qgetenv("TOLVAN_TEST_SECRET_SERVICE");
    if (mode == "keyring") {
        KeyringTest test;
        return QTest::qExec(&test, argc, argv);
    }
    if (mode == "none") {
        NoSecretServiceTest test;
        return QTest::qExec(&test, argc, argv);
    }
    std::fputs("Run through tests/support/with-secret-service.sh keyring|none.\n", stderr);
    return 1;
}

#include "tst_keychaincredentialstorage.moc"
