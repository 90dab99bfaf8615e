#include "clipboardsource.h"
#include "confirmationprompt.h"
#include "globalcopyshortcut.h"
#include "keyeventsource.h"
#include "manualclock.h"
#include "userpreferences.h"
#include "windowraiser.h"

#include <QCoro/QCoroSignal>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Tolvan;
using namespace std::chrono_literals;

namespace QTest {
template<>
char *toString(const std::optional<QString> &text)
{
    return text ? QTest::toString(*text) : qstrdup("none");
}
} // namespace QTest

namespace {

class FakeKeySource : public KeyEventSource {
public:
    bool available = true;
    bool startSucceeds = true;
    bool running = false;
    int starts = 0;

    bool isAvailable() override { return available; }
    bool start() override
    {
        ++starts;
        running = startSucceeds;
        return running;
    }
    void stop() override { running = false; }
    bool isRunning() const override { return running; }

    void send(const KeyEvent &event) { Q_EMIT keyEvent(event); }
    void switchApplication() { Q_EMIT activeApplicationChanged(); }
    void breakOff()
    {
        running = false;
        Q_EMIT interrupted();
    }
};

class FakeClipboard : public ClipboardSource {
public:
    std::optional<QString> text;

    std::optional<QString> plainText() const override { return text; }
    void copy(const std::optional<QString> &copied)
    {
        text = copied;
        Q_EMIT changed();
    }
};

class FakePrompt : public QObject, public ConfirmationPrompt {
    Q_OBJECT
public:
    QList<Request> requests;
    // None: the dialog stays open until answer() is emitted.
    std::optional<bool> reply = true;

    QCoro::Task<bool> confirm(Request request) override
    {
        requests.append(request);
        if (reply) {
            co_return *reply;
        }
        co_return co_await qCoro(this, &FakePrompt::answer);
    }

Q_SIGNALS:
    void answer(bool confirmed);
};

std::optional<QString> some(const char *text)
{
    return QString::fromUtf8(text);
}

class FakeRaiser : public WindowRaiser {
public:
    QList<QWindow *> raised;
    void bringForward(QWindow &window) override { raised.append(&window); }
};

} // namespace

class TestGlobalCopyShortcut : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserPreferences> m_preferences;
    std::unique_ptr<FakeKeySource> m_keys;
    std::unique_ptr<FakeClipboard> m_clipboard;
    std::unique_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<FakePrompt> m_prompt;
    std::unique_ptr<FakeRaiser> m_raiser;
    std::unique_ptr<GlobalCopyShortcut> m_shortcut;
    std::unique_ptr<QWindow> m_window;
    int m_windowsOpened = 0;
    std::uint64_t m_keyTimeNs = 0;
    int m_files = 0;

    // A file of its own for every case: QSettings caches files by name.
    void usePreferences(std::optional<bool> enabled, const QString &workspaceWord = {})
    {
        const QString path = m_dir.filePath(QStringLiteral("tolvan-%1.conf").arg(++m_files));
        if (!workspaceWord.isEmpty()) {
            QSettings(path, QSettings::IniFormat)
                .setValue(QStringLiteral("preferences.workspace"), workspaceWord);
        }
        m_preferences = std::make_unique<UserPreferences>(path);
        if (enabled) {
            m_preferences->setDoubleCopyEnabled(*enabled);
        }
    }

    GlobalCopyShortcut &makeShortcut(bool startsMonitoring = true)
    {
        m_shortcut = std::make_unique<GlobalCopyShortcut>(
            *m_preferences, startsMonitoring,
            GlobalCopyShortcut::Platform{*m_keys, *m_clipboard, *m_clock, *m_prompt, *m_raiser});
        m_shortcut->setWindow(m_window.get());
        m_shortcut->setOpenWindow([this] { ++m_windowsOpened; });
        return *m_shortcut;
    }

    void key(KeyEvent::Type type, std::uint64_t flags = KeyEvent::copyModifierFlag)
    {
        m_keyTimeNs += 50'000'000;
        m_keys->send({.type = type,
                      .keyCode = KeyEvent::cKeyCode,
                      .modifierFlags = flags,
                      .timestampNs = m_keyTimeNs,
                      .frontmostProcessID = 4242});
    }

    void pressC()
    {
        key(KeyEvent::Type::KeyDown);
        key(KeyEvent::Type::KeyUp);
    }

    // The other application copies `copied` after the first press; with
    // `copies` false nothing is copied, as in a terminal.
    void doubleCopy(const std::optional<QString> &copied, bool copies = true)
    {
        pressC();
        if (copies) {
            m_clipboard->copy(copied);
        }
        pressC();
    }

    void passTime(std::chrono::milliseconds duration)
    {
        m_clock->advance(duration);
        settle();
    }

    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::processEvents();
        }
    }

private Q_SLOTS:
    void init()
    {
        usePreferences(true);
        m_keys = std::make_unique<FakeKeySource>();
        m_clipboard = std::make_unique<FakeClipboard>();
        m_clock = std::make_unique<Test::ManualClock>();
        m_prompt = std::make_unique<FakePrompt>();
        m_raiser = std::make_unique<FakeRaiser>();
        m_window = std::make_unique<QWindow>();
        m_windowsOpened = 0;
    }

    void cleanup() { m_shortcut.reset(); }

    void construction_data()
    {
        QTest::addColumn<std::optional<bool>>("stored");
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("startsMonitoring");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("monitoring");

        QTest::newRow("on") << std::optional(true) << true << true << true << true;
        QTest::newRow("on, no watch in this session")
            << std::optional(true) << false << true << true << false;
        QTest::newRow("off") << std::optional(false) << true << true << false << false;
        QTest::newRow("first launch") << std::optional<bool>() << true << true << false << false;
        QTest::newRow("inert") << std::optional(true) << true << false << false << false;
    }

    void construction()
    {
        QFETCH(std::optional<bool>, stored);
        QFETCH(bool, available);
        QFETCH(bool, startsMonitoring);
        QFETCH(bool, enabled);
        QFETCH(bool, monitoring);
        usePreferences(stored);
        m_keys->available = available;

        const GlobalCopyShortcut &shortcut = makeShortcut(startsMonitoring);
        QCOMPARE(shortcut.isEnabled(), enabled);
        QCOMPARE(shortcut.hasPermission(), available && startsMonitoring);
        QCOMPARE(shortcut.isMonitoring(), monitoring);
        QCOMPARE(m_keys->running, monitoring);
        QVERIFY(shortcut.requestID().isNull());
        QCOMPARE(shortcut.requestedWorkspace(), Workspace::Translate);
    }

    void watchStartsAgainAfterFailureOrBreak()
    {
        m_keys->startSucceeds = false;
        GlobalCopyShortcut &shortcut = makeShortcut();
        QVERIFY(!shortcut.isMonitoring());

        m_keys->startSucceeds = true;
        shortcut.refreshPermission();
        QVERIFY(shortcut.isMonitoring());
        shortcut.refreshPermission();
        QCOMPARE(m_keys->starts, 2);

        // A broken watch forgets the attempt in progress.
        key(KeyEvent::Type::KeyDown);
        m_keys->breakOff();
        QVERIFY(!shortcut.isMonitoring());
        shortcut.refreshPermission();
        QVERIFY(shortcut.isMonitoring());
        key(KeyEvent::Type::KeyUp);
        m_clipboard->copy(QStringLiteral("text"));
        pressC();
        QCOMPARE(m_clock->pendingSleepCount(), 0);

        m_keys->available = false;
        shortcut.refreshPermission();
        QVERIFY(!shortcut.hasPermission());
        QVERIFY(!shortcut.isMonitoring());
        QVERIFY(!m_keys->running);
    }

    void toggleOnAsksFirst_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("Enable") << true;
        QTest::newRow("Cancel") << false;
    }

    void toggleOnAsksFirst()
    {
        QFETCH(bool, confirmed);
        usePreferences(std::nullopt);
        GlobalCopyShortcut &shortcut = makeShortcut();
        m_prompt->reply = confirmed;

        shortcut.toggle();
        QCOMPARE(m_prompt->requests.size(), 1);
        const ConfirmationPrompt::Request &request = m_prompt->requests.first();
        QCOMPARE(request.message, QStringLiteral("Enable Ctrl+C, Ctrl+C"));
        QCOMPARE(request.informativeText,
                 QStringLiteral("Press Ctrl+C twice quickly in another app to open Tolvan, paste "
                                "into your last-used workspace, and automatically translate or "
                                "improve the text. Both presses still copy normally."));
        QCOMPARE(request.confirmButton, QStringLiteral("Enable"));
        QCOMPARE(request.cancelButton, QStringLiteral("Cancel"));

        QCOMPARE(shortcut.isEnabled(), confirmed);
        QCOMPARE(shortcut.isMonitoring(), confirmed);
        QCOMPARE(m_preferences->isDoubleCopyEnabled(), confirmed);
    }

    void toggleWhileAskingIsIgnored()
    {
        usePreferences(std::nullopt);
        GlobalCopyShortcut &shortcut = makeShortcut();
        m_prompt->reply.reset();
        QSignalSpy enabledChanges(&shortcut, &GlobalCopyShortcut::isEnabledChanged);

        shortcut.toggle();
        shortcut.toggle();
        QCOMPARE(m_prompt->requests.size(), 1);
        Q_EMIT m_prompt->answer(true);
        QTRY_VERIFY(shortcut.isEnabled());
        QCOMPARE(enabledChanges.size(), 1);
    }

    void toggleOffStopsAndRemembers()
    {
        GlobalCopyShortcut &shortcut = makeShortcut();
        QVERIFY(shortcut.isMonitoring());
        shortcut.toggle();
        QVERIFY(m_prompt->requests.isEmpty());
        QVERIFY(!shortcut.isEnabled());
        QVERIFY(!shortcut.isMonitoring());
        QVERIFY(!m_keys->running);
        QVERIFY(!m_preferences->isDoubleCopyEnabled());
    }

    void handOff_data()
    {
        QTest::addColumn<std::optional<QString>>("copied");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<std::optional<QString>>("expectedText");
        QTest::addColumn<Workspace>("expectedWorkspace");

        const std::optional<QString> none;
        QTest::newRow("a word, last used translate")
            << some("hello") << "translate" << some("hello") << Workspace::Translate;
        QTest::newRow("last used write")
            << some("hello") << "write" << some("hello") << Workspace::Write;
        QTest::newRow("last used history")
            << some("hello") << "history" << some("hello") << Workspace::Translate;
        QTest::newRow("nothing stored")
            << some("hello") << "" << some("hello") << Workspace::Translate;
        QTest::newRow("surrounding white space kept")
            << some("  two words \n") << "translate" << some("  two words \n")
            << Workspace::Translate;
        QTest::newRow("only white space")
            << some("   \n ") << "translate" << none << Workspace::Translate;
        QTest::newRow("no text") << none << "translate" << none << Workspace::Translate;
    }

    void handOff()
    {
        QFETCH(std::optional<QString>, copied);
        QFETCH(QString, stored);
        QFETCH(std::optional<QString>, expectedText);
        QFETCH(Workspace, expectedWorkspace);
        usePreferences(true, stored);
        GlobalCopyShortcut &shortcut = makeShortcut();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);

        doubleCopy(copied);
        passTime(99ms);
        QCOMPARE(requests.size(), 0);
        passTime(1ms);

        QCOMPARE(requests.size(), 1);
        QVERIFY(!shortcut.requestID().isNull());
        QVERIFY(shortcut.hasPendingRequest());
        QCOMPARE(shortcut.pendingText(), expectedText);
        QCOMPARE(shortcut.shortcutSessionText(), expectedText);
        QCOMPARE(shortcut.requestedWorkspace(), expectedWorkspace);
        QCOMPARE(m_raiser->raised, QList<QWindow *>{m_window.get()});
        QCOMPARE(m_clock->requestedSleeps(), QList<std::chrono::milliseconds>{100ms});
    }

    void aNewRequestReplacesTheOld()
    {
        GlobalCopyShortcut &shortcut = makeShortcut();
        QSignalSpy pendingChanges(&shortcut, &GlobalCopyShortcut::hasPendingRequestChanged);
        doubleCopy(QStringLiteral("one"));
        passTime(100ms);
        const QUuid first = shortcut.requestID();
        doubleCopy(QStringLiteral("two"));
        passTime(100ms);

        QVERIFY(shortcut.requestID() != first);
        QCOMPARE(shortcut.pendingText(), some("two"));
        QCOMPARE(pendingChanges.size(), 1);

        QCOMPARE(shortcut.takePendingText(), some("two"));
        QVERIFY(!shortcut.hasPendingRequest());
        QCOMPARE(shortcut.pendingText(), std::nullopt);
        QCOMPARE(shortcut.shortcutSessionText(), some("two"));
        QCOMPARE(shortcut.takePendingText(), std::nullopt);
    }

    void secondDoubleCopyInsideTheWaitCancelsTheFirst()
    {
        GlobalCopyShortcut &shortcut = makeShortcut();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        doubleCopy(QStringLiteral("first"));
        passTime(50ms);
        doubleCopy(QStringLiteral("second"));
        passTime(100ms);
        passTime(1s);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(shortcut.pendingText(), some("second"));
    }

    void nothingWhenStoppedDuringTheWait_data()
    {
        QTest::addColumn<bool>("switchOff");
        QTest::newRow("switched off") << true;
        QTest::newRow("stopped") << false;
    }

    void nothingWhenStoppedDuringTheWait()
    {
        QFETCH(bool, switchOff);
        GlobalCopyShortcut &shortcut = makeShortcut();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        doubleCopy(QStringLiteral("text"));
        passTime(50ms);
        switchOff ? shortcut.toggle() : shortcut.stop();
        passTime(1s);
        QCOMPARE(requests.size(), 0);
        QVERIFY(m_raiser->raised.isEmpty());
    }

    void waitsForTheCopy_data()
    {
        QTest::addColumn<bool>("copiedBeforeFirstPress");
        QTest::addColumn<std::optional<int>>("copyAfterReleaseMs");
        QTest::addColumn<bool>("published");

        QTest::newRow("nothing copied: a terminal's interrupt")
            << false << std::optional<int>() << false;
        QTest::newRow("copied only before the first press")
            << true << std::optional<int>() << false;
        QTest::newRow("copy arrives 0.3 s after the release")
            << false << std::optional(300) << true;
        QTest::newRow("copy arrives just in time") << false << std::optional(499) << true;
        QTest::newRow("copy arrives too late") << false << std::optional(500) << false;
    }

    void waitsForTheCopy()
    {
        QFETCH(bool, copiedBeforeFirstPress);
        QFETCH(std::optional<int>, copyAfterReleaseMs);
        QFETCH(bool, published);
        GlobalCopyShortcut &shortcut = makeShortcut();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        if (copiedBeforeFirstPress) {
            m_clipboard->copy(QStringLiteral("old"));
        }

        doubleCopy(std::nullopt, false);
        passTime(100ms);
        QCOMPARE(requests.size(), 0);
        if (copyAfterReleaseMs) {
            passTime(std::chrono::milliseconds(*copyAfterReleaseMs - 100));
            m_clipboard->copy(QStringLiteral("late"));
            settle();
        }
        passTime(1s);

        QCOMPARE(requests.size(), published ? 1 : 0);
        QCOMPARE(shortcut.pendingText(), published ? some("late") : std::nullopt);
        QCOMPARE(m_raiser->raised.size(), published ? 1 : 0);
    }

    void frontmostApplicationChangeResets()
    {
        makeShortcut();
        pressC();
        m_keys->switchApplication();
        m_clipboard->copy(QStringLiteral("text"));
        pressC();
        QCOMPARE(m_clock->pendingSleepCount(), 0);
    }

    void mainWindowClose()
    {
        GlobalCopyShortcut &shortcut = makeShortcut();
        doubleCopy(QStringLiteral("text"));
        passTime(100ms);

        QWindow settings;
        shortcut.windowWillClose(&settings);
        QVERIFY(shortcut.hasPendingRequest());
        QCOMPARE(shortcut.window(), m_window.get());

        shortcut.windowWillClose(m_window.get());
        QVERIFY(!shortcut.window());
        QVERIFY(!shortcut.hasPendingRequest());
        QCOMPARE(shortcut.pendingText(), std::nullopt);
        QCOMPARE(shortcut.shortcutSessionText(), std::nullopt);

        // With no main window the next request opens one.
        doubleCopy(QStringLiteral("again"));
        passTime(100ms);
        QCOMPARE(m_windowsOpened, 1);
        QCOMPARE(m_raiser->raised.size(), 1);
    }

    void releasedWhileWaiting()
    {
        makeShortcut();
        doubleCopy(QStringLiteral("text"));
        m_shortcut.reset();
        passTime(1s);
        QVERIFY(m_raiser->raised.isEmpty());
    }
};

QTEST_MAIN(TestGlobalCopyShortcut)
#include "tst_globalcopyshortcut.moc"
