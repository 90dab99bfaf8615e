#include "userpreferences.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;

namespace {

// Writes `text` as the value of `key` the way another program, or an older
// version, would have left it in the file.
void writeRaw(const QString &path, const QString &key, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(QStringLiteral("[General]\n%1=%2\n").arg(key, text).toUtf8());
}

} // namespace

class TestUserPreferences : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString m_path;
    // A file of its own for every case: QSettings caches files by name.
    QString path() const { return m_path; }

private Q_SLOTS:
    void init() { m_path = m_dir.filePath(QStringLiteral("tolvan-%1.conf").arg(++m_files)); }

    void defaultsWhenNothingIsStored()
    {
        const UserPreferences preferences(path());
        QCOMPARE(preferences.lastWorkspace(), Workspace::Translate);
        QCOMPARE(preferences.storedAppearance(), AppAppearance::System);
        QCOMPARE(preferences.isDoubleCopyEnabled(), false);
        QCOMPARE(preferences.sourceLanguageCode(), std::nullopt);
        QCOMPARE(preferences.targetLanguageCode(), std::nullopt);
    }

    void readsStoredWorkspace_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<Workspace>("expected");
        QTest::newRow("write") << "write" << Workspace::Write;
        QTest::newRow("translate") << "translate" << Workspace::Translate;
        QTest::newRow("history") << "history" << Workspace::Translate;
        QTest::newRow("raw value Write") << "Write" << Workspace::Translate;
        QTest::newRow("empty") << "" << Workspace::Translate;
        QTest::newRow("a list") << "write, write" << Workspace::Translate;
    }

    void readsStoredWorkspace()
    {
        QFETCH(QString, stored);
        QFETCH(Workspace, expected);
        writeRaw(path(), QStringLiteral("preferences.workspace"), stored);
        QCOMPARE(UserPreferences(path()).lastWorkspace(), expected);
    }

    void readsStoredAppearance_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<AppAppearance>("expected");
        QTest::newRow("system") << "system" << AppAppearance::System;
        QTest::newRow("light") << "light" << AppAppearance::Light;
        QTest::newRow("dark") << "dark" << AppAppearance::Dark;
        QTest::newRow("wrong case") << "Dark" << AppAppearance::System;
        QTest::newRow("unknown") << "sepia" << AppAppearance::System;
    }

    void readsStoredAppearance()
    {
        QFETCH(QString, stored);
        QFETCH(AppAppearance, expected);
        writeRaw(path(), QStringLiteral("preferences.appearance"), stored);
        QCOMPARE(UserPreferences(path()).storedAppearance(), expected);
    }

    void readsDoubleCopySwitch_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("expected");
        QTest::newRow("true") << "true" << true;
        QTest::newRow("false") << "false" << false;
        QTest::newRow("unreadable") << "maybe" << false;
    }

    void readsDoubleCopySwitch()
    {
        QFETCH(QString, stored);
        QFETCH(bool, expected);
        writeRaw(path(), QStringLiteral("preferences.doubleCopyEnabled"), stored);
        QCOMPARE(UserPreferences(path()).isDoubleCopyEnabled(), expected);
    }

    void writesWhatItReadsBack()
    {
        {
            UserPreferences preferences(path());
            preferences.setLastWorkspace(Workspace::Write);
            preferences.setStoredAppearance(AppAppearance::Dark);
            preferences.setDoubleCopyEnabled(true);
            preferences.setSourceLanguageCode(QStringLiteral("en"));
            preferences.setTargetLanguageCode(QStringLiteral("es"));
            // The same object sees its own writes before they reach the file.
            QCOMPARE(preferences.isDoubleCopyEnabled(), true);
        }
        const UserPreferences reopened(path());
        QCOMPARE(reopened.lastWorkspace(), Workspace::Write);
        QCOMPARE(reopened.storedAppearance(), AppAppearance::Dark);
        QCOMPARE(reopened.isDoubleCopyEnabled(), true);
        QCOMPARE(reopened.sourceLanguageCode(), QStringLiteral("en"));
        QCOMPARE(reopened.targetLanguageCode(), QStringLiteral("es"));

        // The file holds the keys and words other tools expect.
        QSettings file(path(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("preferences.workspace")).toString(),
                 QStringLiteral("write"));
        QCOMPARE(file.value(QStringLiteral("preferences.appearance")).toString(),
                 QStringLiteral("dark"));
        QCOMPARE(file.value(QStringLiteral("preferences.doubleCopyEnabled")).toString(),
                 QStringLiteral("true"));
    }

    void historyIsNeverStored()
    {
        UserPreferences preferences(path());
        preferences.setLastWorkspace(Workspace::Write);
        preferences.setLastWorkspace(Workspace::History);
        QCOMPARE(preferences.lastWorkspace(), Workspace::Write);
    }

    void noLanguageRemovesTheKey()
    {
        {
            UserPreferences preferences(path());
            preferences.setSourceLanguageCode(QStringLiteral("fr"));
            preferences.setSourceLanguageCode(std::nullopt);
        }
        QSettings file(path(), QSettings::IniFormat);
        QVERIFY(!file.contains(QStringLiteral("preferences.sourceLanguageCode")));
        QCOMPARE(UserPreferences(path()).sourceLanguageCode(), std::nullopt);
    }

    void emptyLanguageCodeReadsAsNone()
    {
        writeRaw(path(), QStringLiteral("preferences.targetLanguageCode"), QString());
        QCOMPARE(UserPreferences(path()).targetLanguageCode(), std::nullopt);
    }

    void defaultFileFollowsXdgConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        QCOMPARE(UserPreferences::defaultSettingsFilePath(),
                 m_dir.filePath(QStringLiteral("tolvan/tolvan.conf")));
        QCOMPARE(UserPreferences().settingsFilePath(),
                 m_dir.filePath(QStringLiteral("tolvan/tolvan.conf")));
    }
};

QTEST_GUILESS_MAIN(TestUserPreferences)
#include "tst_userpreferences.moc"
