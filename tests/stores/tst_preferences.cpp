#include "applicationappearance.h"
#include "settingsstore.h"
#include "userpreferences.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;

namespace {

const QString failurePrefix = QStringLiteral("Could not change launch at login. ");

void write(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Records every appearance the store applies.
struct RecordingAppearance : ApplicationAppearance {
    void apply(AppAppearance appearance) override { applied.append(appearance); }

    QList<AppAppearance> applied;
};

// A preferences file and an autostart folder of their own, as a program run
// before left them, and the store over them. Every harness has its own
// folder: QSettings caches files by name.
struct Harness {
    QTemporaryDir dir;
    QString settingsPath = dir.filePath(QStringLiteral("tolvan.conf"));
    QString entryPath = dir.filePath(QStringLiteral("autostart/app.tolvan.Tolvan.desktop"));
    RecordingAppearance appearance;
    std::unique_ptr<UserPreferences> preferences;
    std::unique_ptr<SettingsStore> store;

    explicit Harness(const QByteArray &settings = {}, const QByteArray &entry = {},
                     bool isPreview = false)
    {
        if (!settings.isEmpty()) {
            write(settingsPath, "[General]\n" + settings + "\n");
        }
        if (!entry.isEmpty()) {
            write(entryPath, entry);
        }
        preferences = std::make_unique<UserPreferences>(settingsPath);
        store = std::make_unique<SettingsStore>(*preferences, isPreview, &appearance,
                                                LoginItemService(entryPath));
    }

    QString stored(const char *key) const
    {
        return QSettings(settingsPath, QSettings::IniFormat)
            .value(QStringLiteral("preferences.") + QLatin1String(key))
            .toString();
    }

    void expectFailure() const
    {
        const QString message = store->loginItemMessageText();
        QVERIFY2(message.startsWith(failurePrefix) && message.size() > failurePrefix.size(),
                 qPrintable(message));
        QVERIFY(!store->launchAtLogin());
        QVERIFY(!store->isUpdatingLoginItem());
    }
};

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsWhatOthersWrote_data()
    {
        // A line of the file as another program, or an older version, left it,
        // and what is read: the workspace, whether double copy is on and the
        // target language code, each as stored when nothing is.
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("read");
        const QStringList defaults{"Translate", "false", ""};
        const auto row = [&defaults](const char *line, int index, const char *read) {
            QStringList expected = defaults;
            expected[index] = QString::fromLatin1(read);
            QTest::newRow(line) << QByteArray(line) << expected;
        };
        row("preferences.workspace=write", 0, "Write");
        row("preferences.workspace=history", 0, "Translate");
        row("preferences.workspace=Write", 0, "Translate");
        row("preferences.workspace=write, write", 0, "Translate");
        row("preferences.doubleCopyEnabled=true", 1, "true");
        row("preferences.doubleCopyEnabled=maybe", 1, "false");
        row("preferences.targetLanguageCode=fr", 2, "fr");
        row("preferences.targetLanguageCode=", 2, "");
        // Only text is a code: a list or a typed value is not.
        row("preferences.targetLanguageCode=fr, fr", 2, "");
        row("preferences.targetLanguageCode=@ByteArray(fr)", 2, "");
    }

    void readsWhatOthersWrote()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, read);
        const Harness h(line);
        const UserPreferences &preferences = *h.preferences;
        QCOMPARE((QStringList{rawValue(preferences.lastWorkspace()),
                              preferences.isDoubleCopyEnabled() ? "true" : "false",
                              preferences.targetLanguageCode().value_or(QString())}),
                 read);
    }

    void writesWhatItReadsBack()
    {
        Harness h;
        {
            UserPreferences preferences(h.settingsPath);
            preferences.setLastWorkspace(Workspace::Write);
            // The History workspace is never the one to come back to.
            preferences.setLastWorkspace(Workspace::History);
            preferences.setDoubleCopyEnabled(true);
            preferences.setSourceLanguageCode(QStringLiteral("en"));
            // The same object sees its own writes before they reach the file.
            QCOMPARE(preferences.isDoubleCopyEnabled(), true);
        }
        const UserPreferences reopened(h.settingsPath);
        QCOMPARE(reopened.lastWorkspace(), Workspace::Write);
        QCOMPARE(reopened.isDoubleCopyEnabled(), true);
        QCOMPARE(reopened.sourceLanguageCode(), QStringLiteral("en"));
        // The file holds the words other tools expect.
        QCOMPARE(h.stored("workspace"), QStringLiteral("write"));
        QCOMPARE(h.stored("doubleCopyEnabled"), QStringLiteral("true"));
    }

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
        const Harness h(stored.isEmpty() ? QByteArray() : "preferences.appearance=" + stored);

        QCOMPARE(h.store->appearance(), appearance);
        QCOMPARE(h.appearance.applied, QList{appearance});
        // Applied without being written back.
        QCOMPARE(h.stored("appearance"), QString::fromLatin1(stored));
    }

    void everyAssignmentStoresAndApplies()
    {
        Harness h;
        QSignalSpy changes(h.store.get(), &SettingsStore::appearanceChanged);
        h.store->setAppearance(AppAppearance::Dark);
        QCOMPARE(h.stored("appearance"), QStringLiteral("dark"));
        QFile::remove(h.settingsPath);
        h.store->setAppearance(AppAppearance::Dark);

        QCOMPARE(h.stored("appearance"), QStringLiteral("dark"));
        QCOMPARE(h.appearance.applied,
                 (QList{AppAppearance::System, AppAppearance::Dark, AppAppearance::Dark}));
        QCOMPARE(changes.count(), 1);
    }

    void launchAtLoginWritesAndRemovesTheEntry()
    {
        Harness h;
        QList<bool> updatingStates;
        connect(h.store.get(), &SettingsStore::isUpdatingLoginItemChanged, this,
                [&] { updatingStates.append(h.store->isUpdatingLoginItem()); });

        h.store->setLaunchAtLogin(true);
        QVERIFY(h.store->launchAtLogin());
        QVERIFY(!h.store->loginItemMessage());
        const QByteArray contents = read(h.entryPath);
        QVERIFY(contents.startsWith("[Desktop Entry]\n"));
        QVERIFY(contents.contains("\nExec=tolvan --background\n"));

        // The file is read again on refresh; turning it on again replaces a hidden entry.
        write(h.entryPath, "[Desktop Entry]\nHidden=true\n");
        h.store->refreshLoginItemStatus();
        QVERIFY(!h.store->launchAtLogin());
        h.store->setLaunchAtLogin(true);
        QVERIFY(h.store->launchAtLogin());

        h.store->setLaunchAtLogin(false);
        QVERIFY(!h.store->launchAtLogin());
        QVERIFY(!QFile::exists(h.entryPath));
        QCOMPARE(updatingStates, (QList{true, false, true, false, true, false}));
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
        const Harness h({}, entry);
        QCOMPARE(h.store->launchAtLogin(), enabled);
    }

    void failedChangeShowsWhy()
    {
        Harness h;
        // A file where the autostart folder belongs.
        const QString folder = QFileInfo(h.entryPath).absolutePath();
        write(folder, "not a folder");
        h.store->setLaunchAtLogin(true);
        h.expectFailure();

        // The message stays until the next change, which clears it first.
        h.store->refreshLoginItemStatus();
        QVERIFY(h.store->loginItemMessage());
        QFile::remove(folder);
        h.store->setLaunchAtLogin(true);
        QVERIFY(!h.store->loginItemMessage());
        QVERIFY(h.store->launchAtLogin());

        // A folder with content where the entry belongs cannot be removed as a file.
        Harness removal;
        write(removal.entryPath + QStringLiteral("/inside"), "x");
        removal.store->setLaunchAtLogin(false);
        removal.expectFailure();
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
        QVERIFY(QFile::exists(h.entryPath));
    }

    void previewStoreIsInert()
    {
        Harness h("preferences.appearance=dark", "[Desktop Entry]\nExec=tolvan\n", true);
        QCOMPARE(h.store->appearance(), AppAppearance::System);
        QVERIFY(!h.store->launchAtLogin());
        h.store->setAppearance(AppAppearance::Light);
        h.store->setLaunchAtLogin(true);
        h.store->refreshLoginItemStatus();
        QCOMPARE(h.store->appearance(), AppAppearance::Light);
        QVERIFY(h.store->launchAtLogin());

        QVERIFY(h.appearance.applied.isEmpty());
        QCOMPARE(h.stored("appearance"), QStringLiteral("dark"));
        QCOMPARE(read(h.entryPath), QByteArray("[Desktop Entry]\nExec=tolvan\n"));
    }

    void defaultFilesFollowXdgConfigHome()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QCOMPARE(UserPreferences().settingsFilePath(),
                 home.filePath(QStringLiteral("tolvan/tolvan.conf")));
        QCOMPARE(LoginItemService().entryFilePath(),
                 home.filePath(QStringLiteral("autostart/app.tolvan.Tolvan.desktop")));
    }
};

QTEST_GUILESS_MAIN(PreferencesTest)
#include "tst_preferences.moc"
