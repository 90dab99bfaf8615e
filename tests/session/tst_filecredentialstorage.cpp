#include "filecredentialstorage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

#include <sys/stat.h>

using namespace Tolvan;

namespace {

AuthSession sampleSession(const QString &accessToken)
{
    return AuthSession{
        .tokens = {.accessToken = accessToken,
                   .refreshToken = QStringLiteral("refresh-") + accessToken,
                   .tokenType = QStringLiteral("Bearer"),
                   .expiresIn = 900,
                   .refreshExpiresIn = 2592000,
                   .user = {.id = 42, .email = QStringLiteral("ada@example.org")}},
        .accessExpiresAt = QDateTime::fromMSecsSinceEpoch(1740830400123, Qt::UTC),
        .refreshExpiresAt = QDateTime::fromMSecsSinceEpoch(1743422400456, Qt::UTC),
    };
}

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

} // namespace

class FileCredentialStorageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString path;

    QStringList folderEntries() const
    {
        return QDir(folder->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        path = folder->filePath(QStringLiteral("session.json"));
    }
    void cleanup() { folder.reset(); }

    void missingFileIsNoSession()
    {
        FileCredentialStorage storage(path);
        const auto loaded = storage.loadSession();
        QVERIFY(loaded.isOk());
        QVERIFY(!loaded.value().has_value());
        QVERIFY(storage.deleteSession().isOk());
    }

    void savedFileIsOwnerOnlyWhateverTheUmask()
    {
        FileCredentialStorage storage(path);
        const mode_t previous = ::umask(0);
        const auto saved = storage.saveSession(sampleSession(QStringLiteral("first")));
        ::umask(previous);

        QVERIFY(saved.isOk());
        QCOMPARE(permissions(path), mode_t(0600));
        QCOMPARE(contents(path), sampleSession(QStringLiteral("first")).encode());
        QCOMPARE(storage.loadSession().value(),
                 std::optional(sampleSession(QStringLiteral("first"))));
    }

    void savingReplacesTheFileInOneStep()
    {
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("older content that is longer than any session would ever be .........");
        existing.close();
        QVERIFY(existing.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        FileCredentialStorage storage(path);
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("first"))).isOk());
        // A reader that opened the old file keeps reading it whole.
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));

        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("second"))).isOk());

        QCOMPARE(reader.readAll(), sampleSession(QStringLiteral("first")).encode());
        QCOMPARE(contents(path), sampleSession(QStringLiteral("second")).encode());
        QCOMPARE(permissions(path), mode_t(0600));
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("session.json")});
    }

    void failedSaveLeavesNoTemporaryFile()
    {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("session.json/occupied")));
        FileCredentialStorage storage(path);

        const auto saved = storage.saveSession(sampleSession(QStringLiteral("first")));

        QVERIFY(!saved.isOk());
        QCOMPARE(saved.error().kind(), ServiceError::Kind::Keychain);
        QVERIFY(saved.error().text().contains(path));
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("session.json")});
    }

    void unreadableFileIsReportedAndKept()
    {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("session.json")));
        FileCredentialStorage storage(path);

        const auto loaded = storage.loadSession();

        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().status(), EISDIR);
        QCOMPARE(loaded.error().text(),
                 QStringLiteral("Your saved session could not be accessed. The file %1 could not "
                                "be read: Is a directory. (Keyring %2). Please retry.")
                     .arg(path)
                     .arg(EISDIR));
        QVERIFY(QFileInfo(path).isDir());
    }

    void badContentFailsToDecodeAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not JSON") << QByteArray("session");
        QTest::newRow("missing fields") << QByteArray(R"({"tokens":{"access_token":"a"}})");
        QTest::newRow("cut short") << sampleSession(QStringLiteral("first")).encode().chopped(9);
    }
    void badContentFailsToDecodeAndIsKept()
    {
        QFETCH(QByteArray, content);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        FileCredentialStorage storage(path);

        const auto loaded = storage.loadSession();

        QVERIFY(!loaded.isOk());
        QCOMPARE(loaded.error().kind(), ServiceError::Kind::Decoding);
        QCOMPARE(loaded.error().text(), AuthSession::decode(content).error().text());
        QCOMPARE(contents(path), content);
    }

    void deletingTwiceSucceedsTwice()
    {
        FileCredentialStorage storage(path);
        QVERIFY(storage.saveSession(sampleSession(QStringLiteral("first"))).isOk());

        QVERIFY(storage.deleteSession().isOk());
        QVERIFY(!QFile::exists(path));
        QVERIFY(storage.deleteSession().isOk());
    }
};

QTEST_GUILESS_MAIN(FileCredentialStorageTest)

#include "tst_filecredentialstorage.moc"
