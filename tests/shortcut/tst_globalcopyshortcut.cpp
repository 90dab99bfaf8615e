#include "clipboardsource.h"
#include "confirmationprompt.h"
#include "globalcopyshortcut.h"
#include "keyeventsource.h"
#include "manualclock.h"
#include "settle.h"
#include "userpreferences.h"
#include "windowraiser.h"

#include <QCoro/QCoroSignal>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Tolvan;
using namespace std::chrono_literals;
using Test::settle;

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

// The dialog stays open until the test emits answer().
class FakePrompt : public QObject, public ConfirmationPrompt {
    Q_OBJECT
public:
    QList<Request> requests;

    QCoro::Task<bool> confirm(Request request) override
    {
        requests.append(request);
        co_return co_await qCoro(this, &FakePrompt::answer);
    }

Q_SIGNALS:
    void answer(bool confirmed);
};

class FakeRaiser : public WindowRaiser {
public:
    QList<QWindow *> raised;
    void bringForward(QWindow &window) override { raised.append(&window); }
};

std::optional<QString> some(const char *text)
{
    return QString::fromUtf8(text);
}

// When the other application copies, around the two presses of Ctrl+C.
enum class Copy { Never, BetweenPresses, AfterRelease };

// A shortcut over fakes of the desktop, with preferences of its own.
struct Harness {
    QTemporaryDir dir;
    std::unique_ptr<UserPreferences> preferences;
    FakeKeySource keys;
    FakeClipboard clipboard;
    Test::ManualClock clock;
    FakePrompt prompt;
    FakeRaiser raiser;
    QWindow window;
    std::unique_ptr<GlobalCopyShortcut> shortcut;
    std::uint64_t keyTimeNs = 0;

    // `enabled` as stored by an earlier run (none: never chosen).
    explicit Harness(std::optional<bool> enabled = true)
        : preferences(std::make_unique<UserPreferences>(dir.filePath("tolvan.conf")))
    {
        if (enabled) {
            preferences->setDoubleCopyEnabled(*enabled);
        }
    }

    GlobalCopyShortcut &make(bool startsMonitoring = true)
    {
        shortcut = std::make_unique<GlobalCopyShortcut>(
            *preferences, startsMonitoring,
            GlobalCopyShortcut::Platform{keys, clipboard, clock, prompt, raiser});
        shortcut->setWindow(&window);
        return *shortcut;
    }

    void key(KeyEvent::Type type)
    {
        keyTimeNs += 50'000'000;
        Q_EMIT keys.keyEvent({.type = type,
                              .keyCode = KeyEvent::cKeyCode,
                              .modifierFlags = KeyEvent::copyModifierFlag,
                              .timestampNs = keyTimeNs,
                              .frontmostProcessID = 4242});
    }

    void pressC()
    {
        key(KeyEvent::Type::KeyDown);
        key(KeyEvent::Type::KeyUp);
    }

    // The other application copies `copied` after the first press.
    void doubleCopy(const std::optional<QString> &copied)
    {
        pressC();
        clipboard.copy(copied);
        pressC();
    }

    void passTime(std::chrono::milliseconds duration)
    {
        clock.advance(duration);
        settle();
    }
};

} // namespace

class TestGlobalCopyShortcut : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void construction_data()
    {
        QTest::addColumn<std::optional<bool>>("stored");
        QTest::addColumn<bool>("startsMonitoring");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("monitoring");

        QTest::newRow("on") << std::optional(true) << true << true << true;
        QTest::newRow("off") << std::optional(false) << true << false << false;
        QTest::newRow("first launch") << std::optional<bool>() << true << false << false;
        QTest::newRow("inert") << std::optional(true) << false << false << false;
    }

    void construction()
    {
        QFETCH(std::optional<bool>, stored);
        QFETCH(bool, startsMonitoring);
        QFETCH(bool, enabled);
        QFETCH(bool, monitoring);
        Harness h(stored);

        const GlobalCopyShortcut &shortcut = h.make(startsMonitoring);
        QCOMPARE(shortcut.isEnabled(), enabled);
        QCOMPARE(shortcut.hasPermission(), startsMonitoring);
        QCOMPARE(shortcut.isMonitoring(), monitoring);
        QCOMPARE(h.keys.running, monitoring);
    }

    void watchStartsAgainAfterFailureOrBreak()
    {
        Harness h;
        h.keys.startSucceeds = false;
        GlobalCopyShortcut &shortcut = h.make();
        QVERIFY(!shortcut.isMonitoring());

        h.keys.startSucceeds = true;
        shortcut.refreshPermission();
        QVERIFY(shortcut.isMonitoring());
        shortcut.refreshPermission();
        QCOMPARE(h.keys.starts, 2);

        // A broken watch forgets the attempt in progress.
        h.key(KeyEvent::Type::KeyDown);
        h.keys.running = false;
        Q_EMIT h.keys.interrupted();
        QVERIFY(!shortcut.isMonitoring());
        shortcut.refreshPermission();
        QVERIFY(shortcut.isMonitoring());
        h.key(KeyEvent::Type::KeyUp);
        h.clipboard.copy(QStringLiteral("text"));
        h.pressC();
        QCOMPARE(h.clock.pendingSleepCount(), 0);
        // So does a switch to another application.
        Q_EMIT h.keys.activeApplicationChanged();
        h.pressC();
        QCOMPARE(h.clock.pendingSleepCount(), 0);

        h.keys.available = false;
        shortcut.refreshPermission();
        QVERIFY(!shortcut.hasPermission());
        QVERIFY(!shortcut.isMonitoring());
        QVERIFY(!h.keys.running);
    }

    // Cancelling is walked through the settings window.
    void toggleOnAsksFirst()
    {
        Harness h(std::nullopt);
        GlobalCopyShortcut &shortcut = h.make();
        QSignalSpy enabledChanges(&shortcut, &GlobalCopyShortcut::isEnabledChanged);

        shortcut.toggle();
        // While the dialog is open the switch is already being turned on.
        shortcut.toggle();
        QCOMPARE(h.prompt.requests.size(), 1);

        Q_EMIT h.prompt.answer(true);
        settle();
        QCOMPARE(enabledChanges.size(), 1);
        QVERIFY(shortcut.isEnabled());
        QVERIFY(shortcut.isMonitoring());
        QVERIFY(h.preferences->isDoubleCopyEnabled());
    }

    void handOff_data()
    {
        QTest::addColumn<Copy>("copy");
        QTest::addColumn<int>("copyAfterReleaseMs");
        QTest::addColumn<std::optional<QString>>("copied");
        QTest::addColumn<bool>("published");
        QTest::addColumn<std::optional<QString>>("pendingText");
        const auto row = [](const char *name, Copy copy, int afterMs,
                            const std::optional<QString> &copied, bool published,
                            const std::optional<QString> &pendingText) {
            QTest::newRow(name) << copy << afterMs << copied << published << pendingText;
        };
        const std::optional<QString> none;
        const std::optional<QString> hello = QString("hello");

        row("surrounding white space kept", Copy::BetweenPresses, 0, QString(" two words \n"), true,
            QString(" two words \n"));
        row("only white space", Copy::BetweenPresses, 0, QString("   \n "), true, none);
        row("nothing copied: a terminal's interrupt", Copy::Never, 0, hello, false, none);
        row("copy arrives just in time", Copy::AfterRelease, 499, hello, true, hello);
        row("copy arrives too late", Copy::AfterRelease, 500, hello, false, none);
    }

    void handOff()
    {
        QFETCH(Copy, copy);
        QFETCH(int, copyAfterReleaseMs);
        QFETCH(std::optional<QString>, copied);
        QFETCH(bool, published);
        QFETCH(std::optional<QString>, pendingText);
        Harness h;
        h.preferences->setLastWorkspace(Workspace::Write);
        GlobalCopyShortcut &shortcut = h.make();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        h.pressC();
        if (copy == Copy::BetweenPresses) {
            h.clipboard.copy(copied);
        }
        h.pressC();

        // The other application finishes its own copy meanwhile.
        h.passTime(99ms);
        QCOMPARE(requests.size(), 0);
        h.passTime(1ms);
        if (copy == Copy::AfterRelease) {
            h.passTime(std::chrono::milliseconds(copyAfterReleaseMs - 100));
            h.clipboard.copy(copied);
        }
        h.passTime(1s);

        QCOMPARE(requests.size(), published ? 1 : 0);
        QCOMPARE(shortcut.pendingText(), pendingText);
        // Into the last used workspace.
        QCOMPARE(shortcut.requestedWorkspace(),
                 published ? Workspace::Write : Workspace::Translate);
        QCOMPARE(h.raiser.raised, published ? QList<QWindow *>{&h.window} : QList<QWindow *>());
    }

    void aNewRequestReplacesTheOld()
    {
        Harness h;
        GlobalCopyShortcut &shortcut = h.make();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        QSignalSpy pendingChanges(&shortcut, &GlobalCopyShortcut::hasPendingRequestChanged);
        h.doubleCopy(QStringLiteral("one"));
        h.passTime(100ms);
        // A double copy inside the wait of the one before replaces it.
        h.doubleCopy(QStringLiteral("two"));
        h.passTime(50ms);
        h.doubleCopy(QStringLiteral("three"));
        h.passTime(1s);

        QCOMPARE(requests.size(), 2);
        QCOMPARE(pendingChanges.size(), 1);

        QCOMPARE(shortcut.takePendingText(), some("three"));
        QVERIFY(!shortcut.hasPendingRequest());
        QCOMPARE(shortcut.shortcutSessionText(), some("three"));
        QCOMPARE(shortcut.takePendingText(), std::nullopt);
    }

    void nothingOnceStopped_data()
    {
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<bool>("beforeTheKeys");
        QTest::newRow("stopped during the wait") << false << false;
        // Key events the watch delivered before it stopped may still arrive.
        QTest::newRow("switched off before late keys") << true << true;
    }

    void nothingOnceStopped()
    {
        QFETCH(bool, switchOff);
        QFETCH(bool, beforeTheKeys);
        Harness h;
        GlobalCopyShortcut &shortcut = h.make();
        QSignalSpy requests(&shortcut, &GlobalCopyShortcut::requestIDChanged);
        const auto turnOff = [&] { switchOff ? shortcut.toggle() : shortcut.stop(); };
        if (beforeTheKeys) {
            turnOff();
        }
        h.doubleCopy(QStringLiteral("text"));
        h.passTime(50ms);
        if (!beforeTheKeys) {
            turnOff();
        }
        h.passTime(1s);

        QCOMPARE(requests.size(), 0);
        QVERIFY(h.raiser.raised.isEmpty());
        QVERIFY(!shortcut.isMonitoring());
        QVERIFY(!h.keys.running);
        QCOMPARE(shortcut.isEnabled(), !switchOff);
        QCOMPARE(h.preferences->isDoubleCopyEnabled(), !switchOff);
        QVERIFY(h.prompt.requests.isEmpty());
    }

    void mainWindowClose()
    {
        Harness h;
        GlobalCopyShortcut &shortcut = h.make();
        h.doubleCopy(QStringLiteral("text"));
        h.passTime(100ms);

        QWindow settings;
        shortcut.windowWillClose(&settings);
        QVERIFY(shortcut.hasPendingRequest());
        QCOMPARE(shortcut.window(), &h.window);

        shortcut.windowWillClose(&h.window);
        QVERIFY(!shortcut.window());
        QVERIFY(!shortcut.hasPendingRequest());
        QCOMPARE(shortcut.pendingText(), std::nullopt);
        QCOMPARE(shortcut.shortcutSessionText(), std::nullopt);
    }

    void releasedWhileWaiting()
    {
        Harness h;
        h.make();
        h.doubleCopy(QStringLiteral("text"));
        h.shortcut.reset();
        h.passTime(1s);
        QVERIFY(h.raiser.raised.isEmpty());
    }
};

QTEST_MAIN(TestGlobalCopyShortcut)
#include "tst_globalcopyshortcut.moc"
