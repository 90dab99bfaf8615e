#include "credentialstoragefactory.h"
#include "filecredentialstorage.h"
#include "keychaincredentialstorage.h"

#include <QTest>

using namespace Tolvan;

class CredentialStorageFactoryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chosenStorage_data()
    {
        QTest::addColumn<std::optional<QString>>("configured");
        QTest::addColumn<QString>("filePath");
        QTest::newRow("unset: the Secret Service") << std::optional<QString>() << QString();
        QTest::newRow("a file") << std::optional<QString>(QStringLiteral("file:/var/tmp/s.json"))
                                << QStringLiteral("/var/tmp/s.json");
        QTest::newRow("a file, path cleaned")
            << std::optional<QString>(QStringLiteral("file:/var//tmp/./s.json"))
            << QStringLiteral("/var/tmp/s.json");
    }
    void chosenStorage()
    {
        QFETCH(std::optional<QString>, configured);
        QFETCH(QString, filePath);
        QString error;

        const auto storage = CredentialStorageFactory::resolve(configured, &error);

        QVERIFY(error.isEmpty());
        if (filePath.isEmpty()) {
            QVERIFY(dynamic_cast<KeychainCredentialStorage *>(storage.get()));
        } else {
            const auto *file = dynamic_cast<FileCredentialStorage *>(storage.get());
            QVERIFY(file);
            QCOMPARE(file->path(), filePath);
        }
    }

    void malformedValueChoosesNothing_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::newRow("empty") << QString();
        QTest::newRow("another store") << QStringLiteral("keyring");
        QTest::newRow("no path") << QStringLiteral("file:");
        QTest::newRow("relative path") << QStringLiteral("file:session.json");
        QTest::newRow("wrong case") << QStringLiteral("FILE:/var/tmp/s.json");
    }
    void malformedValueChoosesNothing()
    {
        QFETCH(QString, configured);
        QString error;

        const auto storage = CredentialStorageFactory::resolve(configured, &error);

        const QString expected =
            QStringLiteral("TOLVAN_CREDENTIAL_STORE must be \"file:\" followed by an "
                           "absolute path, such as file:/home/me/.config/tolvan/"
                           "session.json (it is \"%1\").")
                .arg(configured);
        QCOMPARE(error, expected);
        QVERIFY(!dynamic_cast<KeychainCredentialStorage *>(storage.get()));
        QVERIFY(!dynamic_cast<FileCredentialStorage *>(storage.get()));
        const auto loaded = storage->loadSession();
        QVERIFY(!loaded.isOk());
        QVERIFY(loaded.error().text().contains(expected));
        QVERIFY(!storage->saveSession({}).isOk());
        QVERIFY(!storage->deleteSession().isOk());
    }

    void environmentIsRead()
    {
        qputenv(CredentialStorageFactory::variableName, "file:/var/tmp/from-env.json");
        const auto storage = CredentialStorageFactory::fromEnvironment();
        qunsetenv(CredentialStorageFactory::variableName);

        const auto *file = dynamic_cast<FileCredentialStorage *>(storage.get());
        QVERIFY(file);
        QCOMPARE(file->path(), QStringLiteral("/var/tmp/from-env.json"));
        QVERIFY(dynamic_cast<KeychainCredentialStorage *>(
            CredentialStorageFactory::fromEnvironment().get()));
    }
};

QTEST_GUILESS_MAIN(CredentialStorageFactoryTest)

#include "tst_credentialstoragefactory.moc"
