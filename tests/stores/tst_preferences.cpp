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
    void readsWhatAnEarlierRunLeft_data()
    {
        // A line of the settings file or an autostart entry, as another program or an older
        // version left it, and what is read: the workspace, whether double copy is on, the
        // target language code, the appearance applied and launch at login, the others each
        // as with nothing stored.
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QStringList>("expected");
        const QStringList nothing{"Translate", "false", "", "system", "false"};
        const auto row = [&nothing](const char *name, const char *line, const char *entry,
                                    int index, const char *read) {
            QStringList expected = nothing;
            expected[index] = QString::fromLatin1(read);
            QTest::newRow(name) << QByteArray(line) << QByteArray(entry) << expected;
        };
        const auto setting = [&row](const char *line, int index, const char *read) {
            row(line, line, "", index, read);
        };
        setting("preferences.workspace=write", 0, "Write");
        setting("preferences.workspace=history", 0, "Translate");
        setting("preferences.workspace=Write", 0, "Translate");
        setting("preferences.doubleCopyEnabled=true", 1, "true");
        setting("preferences.doubleCopyEnabled=maybe", 1, "false");
        setting("preferences.targetLanguageCode=fr", 2, "fr");
        // Only text is a code: a list or a typed value is not.
        setting("preferences.targetLanguageCode=fr, fr", 2, "");
        setting("preferences.targetLanguageCode=@ByteArray(fr)", 2, "");
        setting("preferences.appearance=dark", 3, "dark");
        setting("preferences.appearance=light", 3, "light");
        setting("preferences.appearance=Dark", 3, "system");
        row("our entry", "", "[Desktop Entry]\nType=Application\nExec=tolvan\n", 4, "true");
        row("hidden entry", "", "[Desktop Entry]\nExec=tolvan\nHidden = true\n", 4, "false");
        row("entry hidden=false", "", "[Desktop Entry]\nHidden=false\n", 4, "true");
        row("hidden in another group", "",
            "[Desktop Entry]\nExec=tolvan\n[Desktop Action x]\nHidden=true\n", 4, "true");
    }

    void readsWhatAnEarlierRunLeft()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, entry);
        QFETCH(QStringList, expected);
        const Harness h(line, entry);
        const UserPreferences &preferences = *h.preferences;
        QCOMPARE((QStringList{rawValue(preferences.lastWorkspace()),
                              preferences.isDoubleCopyEnabled() ? "true" : "false",
                              preferences.targetLanguageCode().value_or(QString()),
                              rawValue(h.store->appearance()),
                              h.store->launchAtLogin() ? "true" : "false"}),
                 expected);
        // The appearance is applied once, and nothing is written back.
        QCOMPARE(h.appearance.applied, QList{h.store->appearance()});
        QCOMPARE(read(h.settingsPath), line.isEmpty() ? QByteArray() : "[General]\n" + line + "\n");
    }

    // The file holds the words that other tools, and the reading above, expect.
    void writesTheWordsItReads()
    {
        Harness h;
        h.preferences->setLastWorkspace(Workspace::Write);
        // The History workspace is never the one to come back to.
        h.preferences->setLastWorkspace(Workspace::History);
        h.preferences->setDoubleCopyEnabled(true);
        h.preferences->setSourceLanguageCode(QStringLiteral("en"));
        QCOMPARE(h.stored("workspace"), QStringLiteral("write"));
        QCOMPARE(h.stored("doubleCopyEnabled"), QStringLiteral("true"));
        QCOMPARE(h.stored("sourceLanguageCode"), QStringLiteral("en"));
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
        connect(h.store.get(), &SettingsStore::isUpdatingLoginItemChanged, this, [&] {
            updatingStates.append(h.store->isUpdatingLoginItem());
            // A change asked for while one is under way is ignored.
            if (h.store->isUpdatingLoginItem()) {
                h.store->setLaunchAtLogin(false);
            }
        });

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
