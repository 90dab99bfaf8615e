// Runs under tests/support/with-secret-service.sh: "keyring" against a real
// gnome-keyring-daemon, "none" on a bus without any Secret Service.

#include "credentialstoragefactory.h"
#include "filecredentialstorage.h"
#include "keychaincredentialstorage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <libsecret/secret.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

using namespace Tolvan;

namespace {

AuthSession sampleSession(const QString &accessToken)
{
    return AuthSession{
        .tokens = {.accessToken = accessToken,
                   .refreshToken = "refresh-" + accessToken,
                   .tokenType = "Bearer",
                   .expiresIn = 900,
                   .refreshExpiresIn = 2592000,
                   .user = {.id = 9007199254740993, .email = "ada@example.org"}},
        .accessExpiresAt = QDateTime::fromMSecsSinceEpoch(1740830400123, Qt::UTC),
        .refreshExpiresAt = QDateTime::fromMSecsSinceEpoch(1743422400456, Qt::UTC),
    };
}

const SecretSchema itemSchema = {
    "tolvan.test.Item",
    SECRET_SCHEMA_DONT_MATCH_NAME,
    {
        {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
};

// The keyring as another program sees it, without unlocking anything.
class KeyringView {
public:
    // A connection of its own: it loads the collections, which would leave the
    // storage's items with a stale locked state if the two shared one.
    SecretService *service = secret_service_open_sync(
        SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, nullptr, nullptr);
    // The session's item, as KeychainCredentialStorage names it.
    GHashTable *attributes = secret_attributes_build(
        &itemSchema, "service", "app.tolvan.Tolvan.auth", "account", "device-session", nullptr);

    ~KeyringView()
    {
        g_hash_table_unref(attributes);
        g_clear_object(&service);
    }

    // The secret of every item with the session's attributes.
    QList<QByteArray> secrets() const
    {
        GList *items = secret_service_search_sync(
            service, &itemSchema, attributes,
            static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr,
            nullptr);
        QList<QByteArray> found;
        for (GList *entry = items; entry; entry = entry->next) {
            SecretValue *value = secret_item_get_secret(SECRET_ITEM(entry->data));
            gsize length = 0;
            const gchar *data = value ? secret_value_get(value, &length) : nullptr;
            found.append(QByteArray(data, qsizetype(length)));
            if (value) {
                secret_value_unref(value);
            }
        }
        g_list_free_full(items, g_object_unref);
        return found;
    }

    bool store(const QByteArray &data) const
    {
        SecretValue *value = secret_value_new(data.constData(), data.size(), "text/plain");
        const bool stored =
            secret_service_store_sync(service, &itemSchema, attributes, SECRET_COLLECTION_DEFAULT,
                                      "planted", value, nullptr, nullptr);
        secret_value_unref(value);
        return stored;
    }

    void clear() const
    {
        secret_service_clear_sync(service, &itemSchema, attributes, nullptr, nullptr);
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
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t permissions(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

const QString lockedText = QStringLiteral(
    "Your saved session could not be accessed. The keyring is locked. (Keyring -25308). "
    "Unlock your login keyring, then retry.");

// Every call of `storage` fails with `text`.
void verifyEveryCallFails(CredentialStorageProtocol &storage, const QString &text)
{
    const auto loaded = storage.loadSession();
    QVERIFY(!loaded.isOk());
    QCOMPARE(loaded.error().text(), text);
    const auto saved = storage.saveSession(sampleSession("lost"));
    QVERIFY(!saved.isOk());
    QCOMPARE(saved.error().text(), text);
    const auto removed = storage.deleteSession();
    QVERIFY(!removed.isOk());
    QCOMPARE(removed.error().text(), text);
}

} // namespace

// Both storages keep one session the same way; the file and the keyring each
// have failures of their own.
class CredentialStorageTest : public QObject {
    Q_OBJECT

private:
    KeyringView keyring;
    std::unique_ptr<QTemporaryDir> folder;
    QString path;

    std::unique_ptr<CredentialStorageProtocol> storage(bool inKeyring) const
    {
        if (inKeyring) {
            return std::make_unique<KeychainCredentialStorage>();
        }
        return std::make_unique<FileCredentialStorage>(path);
    }

    // What the storage holds, as raw bytes, one entry per item.
    QList<QByteArray> items(bool inKeyring) const
    {
        if (inKeyring) {
            return keyring.secrets();
        }
        return QFile::exists(path) ? QList{contents(path)} : QList<QByteArray>();
    }

    void plant(bool inKeyring, const QByteArray &bytes)
    {
        if (inKeyring) {
            QVERIFY(keyring.store(bytes));
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList folderEntries() const
    {
        return QDir(folder->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    static void addStorageRows()
    {
        QTest::addColumn<bool>("inKeyring");
        QTest::newRow("file") << false;
        QTest::newRow("keyring") << true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(keyring.service, "the test keyring is not on the bus");
        // The file storage must set its own mode, whatever the umask lets through.
        ::umask(0);
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        path = folder->filePath("session.json");
    }

    void cleanup()
    {
        keyring.clear();
        folder.reset();
    }

    void keepsOneSessionAtATime_data() { addStorageRows(); }

    void keepsOneSessionAtATime()
    {
        QFETCH(bool, inKeyring);
        const auto kept = storage(inKeyring);
        QCOMPARE(kept->loadSession().value(), std::nullopt);
        QVERIFY(kept->saveSession(sampleSession("first")).isOk());
        QVERIFY(kept->saveSession(sampleSession("second")).isOk());

        const AuthSession second = sampleSession("second");
        QCOMPARE(items(inKeyring), QList{second.encode()});
        QCOMPARE(storage(inKeyring)->loadSession().value(), std::optional(second));

        // Deleting what is already gone succeeds too.
        QVERIFY(kept->deleteSession().isOk());
        QVERIFY(items(inKeyring).isEmpty());
        QVERIFY(kept->deleteSession().isOk());
        QCOMPARE(kept->loadSession().value(), std::nullopt);
    }

    void badContentFailsToDecodeAndIsKept_data() { addStorageRows(); }

    // An empty item is damaged, not a missing session.
    void badContentFailsToDecodeAndIsKept()
    {
        QFETCH(bool, inKeyring);
        const QByteArray content;
        plant(inKeyring, content);

        const auto loaded = storage(inKeyring)->loadSession();

        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().kind(), ServiceError::Kind::Decoding);
        QCOMPARE(loaded.error().text(), AuthSession::decode(content).error().text());
        QCOMPARE(items(inKeyring), QList{content});
    }

    void savingReplacesTheFileInOneStep()
    {
        plant(false, "older content that is longer than any session would ever be .........");
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        FileCredentialStorage file(path);
        QVERIFY(file.saveSession(sampleSession("first")).isOk());
        // A reader that opened the old file keeps reading it whole.
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));

        QVERIFY(file.saveSession(sampleSession("second")).isOk());

        QCOMPARE(reader.readAll(), sampleSession("first").encode());
        QCOMPARE(contents(path), sampleSession("second").encode());
        QCOMPARE(permissions(path), mode_t(0600));
        QCOMPARE(folderEntries(), QStringList{"session.json"});
    }

    // A folder where the file belongs can be neither read nor replaced.
    void folderInThePlaceOfTheFile()
    {
        QVERIFY(QDir(folder->path()).mkpath("session.json/occupied"));
        const auto file = storage(false);

        QCOMPARE(file->loadSession().error(),
                 ServiceError::keychain(EISDIR, QStringLiteral("The file %1 could not be read: Is "
                                                               "a directory.")
                                                    .arg(path)));
        const auto saved = file->saveSession(sampleSession("first"));
        QCOMPARE(saved.error().kind(), ServiceError::Kind::Keychain);
        QVERIFY(saved.error().text().contains(path));
        // Neither the folder nor a temporary file is left behind changed.
        QCOMPARE(folderEntries(), QStringList{"session.json"});
        QVERIFY(QFileInfo::exists(path + "/occupied"));
    }

    void storageChosenByTheEnvironment_data()
    {
        QTest::addColumn<std::optional<QString>>("configured");
        QTest::addColumn<QString>("filePath");
        const auto row = [](const char *name, std::optional<QString> configured,
                            const QString &filePath) {
            QTest::newRow(name) << configured << filePath;
        };
        row("unset: the Secret Service", std::nullopt, "");
        row("a file, path cleaned", "file:/var//tmp/./s.json", "/var/tmp/s.json");
        // Anything else chooses no storage at all.
        row("empty", "", "");
        row("relative path", "file:session.json", "");
    }

    void storageChosenByTheEnvironment()
    {
        QFETCH(std::optional<QString>, configured);
        QFETCH(QString, filePath);
        configured ? qputenv(CredentialStorageFactory::variableName, configured->toUtf8())
                   : qunsetenv(CredentialStorageFactory::variableName);
        QString error;
        const auto chosen = CredentialStorageFactory::fromEnvironment(&error);
        qunsetenv(CredentialStorageFactory::variableName);

        const auto *file = dynamic_cast<FileCredentialStorage *>(chosen.get());
        QCOMPARE(file ? file->path() : QString(), filePath);
        const bool malformed = configured && filePath.isEmpty();
        QCOMPARE(dynamic_cast<KeychainCredentialStorage *>(chosen.get()) != nullptr, !configured);
        if (!malformed) {
            QVERIFY(error.isEmpty());
            return;
        }
        QCOMPARE(error, QStringLiteral("TOLVAN_CREDENTIAL_STORE must be \"file:\" followed by an "
                                       "absolute path, such as file:/home/me/.config/tolvan/"
                                       "session.json (it is \"%1\").")
                            .arg(*configured));
        verifyEveryCallFails(*chosen, ServiceError::keychain(0, error).text());
    }

    // Locking cannot be undone without a prompt, so this runs last.
    void lockedKeyringIsNotSignedOut()
    {
        const auto kept = storage(true);
        QVERIFY(kept->saveSession(sampleSession("kept")).isOk());
        QVERIFY(keyring.lockEverything() > 0);

        verifyEveryCallFails(*kept, lockedText);
        QCOMPARE(keyring.secrets().size(), 1);
    }
};

class NoSecretServiceTest : public QObject {
    Q_OBJECT

    const QString unavailableText = QStringLiteral(
        "Your saved session could not be accessed. No Secret Service is available. (Keyring "
        "-34018). Start your desktop's keyring service (for example GNOME Keyring or KWallet), "
        "then retry.");

private Q_SLOTS:
    // Without a bus first: a failed connection is not remembered, one that
    // succeeded would be.
    void unavailable()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tolvan-test-bus");
        KeychainCredentialStorage withoutBus;
        verifyEveryCallFails(withoutBus, unavailableText);
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        KeychainCredentialStorage withoutService;
        verifyEveryCallFails(withoutService, unavailableText);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = qgetenv("TOLVAN_TEST_SECRET_SERVICE");
    if (mode == "keyring") {
        CredentialStorageTest test;
        return QTest::qExec(&test, argc, argv);
    }
    if (mode == "none") {
        NoSecretServiceTest test;
        return QTest::qExec(&test, argc, argv);
    }
    std::fputs("Run through tests/support/with-secret-service.sh keyring|none.\n", stderr);
    return 1;
}

#include "tst_credentialstorage.moc"
