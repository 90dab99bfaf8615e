#include "applicationappearance.h"
#include "settingsstore.h"
#include "userpreferences.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Tolvan;

namespace {

const QString failurePrefix = QStringLiteral("Could not change launch at login. ");

// Records every appearance the store applies.
class RecordingAppearance : public ApplicationAppearance {
public:
    void apply(AppAppearance appearance) override { applied.append(appearance); }

    QList<AppAppearance> applied;
};

// A store over its own preferences file and autostart folder.
struct Harness {
    QTemporaryDir dir;
    QString settingsPath = dir.filePath(QStringLiteral("tolvan.conf"));
    QString entryPath = dir.filePath(QStringLiteral("autostart/app.tolvan.Tolvan.desktop"));
    std::unique_ptr<UserPreferences> preferences;
    RecordingAppearance appearance;
    std::unique_ptr<SettingsStore> store;

    explicit Harness(bool isPreview = false, const QByteArray &settings = {},
                     const QByteArray &entry = {})
    {
        if (!settings.isEmpty()) {
            write(settingsPath, "[General]\n" + settings);
        }
        if (!entry.isEmpty()) {
            write(entryPath, entry);
        }
        preferences = std::make_unique<UserPreferences>(settingsPath);
        store = std::make_unique<SettingsStore>(*preferences, isPreview, &appearance,
                                                LoginItemService(entryPath));
    }

    static void write(const QString &path, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray storedAppearance() const
    {
        return QSettings(settingsPath, QSettings::IniFormat)
            .value(QStringLiteral("preferences.appearance"))
            .toByteArray();
    }
};

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void storedAppearanceIsApplied_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<AppAppearance>("appearance");

        QTest::newRow("dark") << QByteArray("dark") << AppAppearance::Dark;
        QTest::newRow("light") << QByteArray("light") << AppAppearance::Light;
        QTest::newRow("wrong case") << QByteArray("Dark") << AppAppearance::System;
        QTest::newRow("unknown") << QByteArray("sepia") << AppAppearance::System;
        QTest::newRow("absent") << QByteArray() << AppAppearance::System;
    }

    void storedAppearanceIsApplied()
    {
        QFETCH(QByteArray, stored);
        QFETCH(AppAppearance, appearance);
        Harness h(false, stored.isEmpty() ? QByteArray() : "preferences.appearance=" + stored);

        QCOMPARE(h.store->appearance(), appearance);
        QCOMPARE(h.appearance.applied, QList{appearance});
        // Applied without being written back.
        QCOMPARE(h.storedAppearance(), stored);
    }

    void everyAssignmentStoresAndApplies()
    {
        Harness h;
        QSignalSpy changes(h.store.get(), &SettingsStore::appearanceChanged);
        h.store->setAppearance(AppAppearance::Light);
        QCOMPARE(h.storedAppearance(), QByteArray("light"));
        QFile::remove(h.settingsPath);
        h.store->setAppearance(AppAppearance::Light);

        QCOMPARE(h.storedAppearance(), QByteArray("light"));
        QCOMPARE(h.appearance.applied,
                 (QList{AppAppearance::System, AppAppearance::Light, AppAppearance::Light}));
        QCOMPARE(changes.count(), 1);
    }

    void launchAtLoginWritesAndRemovesTheEntry()
    {
        Harness h;
        QVERIFY(!h.store->launchAtLogin());
        QList<bool> updatingStates;
        connect(h.store.get(), &SettingsStore::isUpdatingLoginItemChanged, this,
                [&] { updatingStates.append(h.store->isUpdatingLoginItem()); });

        h.store->setLaunchAtLogin(true);
        QVERIFY(h.store->launchAtLogin());
        QVERIFY(!h.store->loginItemMessage());
        const QByteArray contents = Harness::read(h.entryPath);
        QVERIFY(contents.startsWith("[Desktop Entry]\n"));
        QVERIFY(contents.contains("\nExec=tolvan --background\n"));
        QVERIFY(contents.contains("\nType=Application\n"));

        h.store->setLaunchAtLogin(false);
        QVERIFY(!h.store->launchAtLogin());
        QVERIFY(!QFile::exists(h.entryPath));
        QCOMPARE(updatingStates, (QList{true, false, true, false}));
        QVERIFY(!h.store->requiresLoginApproval());
    }

    void statusIsReadBackFromTheEntry_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("ours") << QByteArray("[Desktop Entry]\nType=Application\nExec=tolvan\n")
                              << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=tolvan\nHidden = true\n")
                                << false;
        QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=tolvan\n[Desktop Action x]\nHidden=true\n")
            << true;
        QTest::newRow("absent") << QByteArray() << false;
    }

    void statusIsReadBackFromTheEntry()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        Harness h(false, {}, entry);
        QCOMPARE(h.store->launchAtLogin(), enabled);
    }

    void refreshFollowsTheFile()
    {
        Harness h;
        h.store->setLaunchAtLogin(true);
        Harness::write(h.entryPath, "[Desktop Entry]\nHidden=true\n");
        h.store->refreshLoginItemStatus();
        QVERIFY(!h.store->launchAtLogin());

        // Turning it on again replaces the hidden entry.
        h.store->setLaunchAtLogin(true);
        QVERIFY(h.store->launchAtLogin());
    }

    void failedChangeShowsWhy()
    {
        Harness h;
        // A file where the autostart folder belongs.
        Harness::write(h.dir.filePath(QStringLiteral("autostart")), "not a folder");
        h.store->setLaunchAtLogin(true);

        QVERIFY(!h.store->launchAtLogin());
        QVERIFY(!h.store->isUpdatingLoginItem());
        const QString message = h.store->loginItemMessageText();
        QVERIFY2(message.startsWith(failurePrefix) && message.size() > failurePrefix.size(),
                 qPrintable(message));

        // The message stays until the next change, which clears it first.
        h.store->refreshLoginItemStatus();
        QVERIFY(h.store->loginItemMessage());
        QFile::remove(h.dir.filePath(QStringLiteral("autostart")));
        h.store->setLaunchAtLogin(true);
        QVERIFY(!h.store->loginItemMessage());
        QVERIFY(h.store->launchAtLogin());
    }

    void readOnlyFolderShowsWhy()
    {
        if (geteuid() == 0) {
            QSKIP("permissions do not stop the superuser");
        }
        Harness h;
        const QString folder = QFileInfo(h.entryPath).absolutePath();
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        h.store->setLaunchAtLogin(true);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);

        QVERIFY(!h.store->launchAtLogin());
        QVERIFY(!QFile::exists(h.entryPath));
        const QString message = h.store->loginItemMessageText();
        QVERIFY2(message.startsWith(failurePrefix) && message.size() > failurePrefix.size(),
                 qPrintable(message));
    }

    void failedRemovalKeepsTheRealStatus()
    {
        Harness h;
        // A folder with content where the entry belongs cannot be removed as a file.
        Harness::write(h.entryPath + QStringLiteral("/inside"), "x");
        h.store->setLaunchAtLogin(false);

        QVERIFY(h.store->loginItemMessageText().startsWith(failurePrefix));
        QVERIFY(!h.store->launchAtLogin());
    }

    void changeWhileUpdatingIsIgnored()
    {
        Harness h;
        connect(h.store.get(), &SettingsStore::isUpdatingLoginItemChanged, this, [&h] {
            if (h.store->isUpdatingLoginItem()) {
                h.store->setLaunchAtLogin(false);
            }
        });
        h.store->setLaunchAtLogin(true);

        QVERIFY(h.store->launchAtLogin());
        QVERIFY(QFile::exists(h.entryPath));
    }

    void previewStoreIsInert()
    {
        Harness h(true, "preferences.appearance=dark", "[Desktop Entry]\nExec=tolvan\n");

        QCOMPARE(h.store->appearance(), AppAppearance::System);
        QVERIFY(!h.store->launchAtLogin());
        h.store->setAppearance(AppAppearance::Light);
        QCOMPARE(h.store->appearance(), AppAppearance::Light);
        h.store->setLaunchAtLogin(false);
        QVERIFY(!h.store->launchAtLogin());
        h.store->setLaunchAtLogin(true);
        QVERIFY(h.store->launchAtLogin());
        h.store->refreshLoginItemStatus();
        QVERIFY(h.store->launchAtLogin());

        QVERIFY(h.appearance.applied.isEmpty());
        QCOMPARE(h.storedAppearance(), QByteArray("dark"));
        QCOMPARE(Harness::read(h.entryPath), QByteArray("[Desktop Entry]\nExec=tolvan\n"));
    }

    void defaultEntryFollowsXdgConfigHome()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QCOMPARE(LoginItemService().entryFilePath(),
                 home.filePath(QStringLiteral("autostart/app.tolvan.Tolvan.desktop")));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
