#include "confirmationprompt.h"
#include "globalcopyshortcut.h"
#include "manualclock.h"
#include "settle.h"
#include "systemclipboard.h"
#include "userpreferences.h"
#include "windowraiser.h"
#include "x11keysource.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;

// Runs only inside the private X session of xvfbsession.sh: the keys typed
// here go to whatever window has the focus.

namespace {

class ConfirmingPrompt : public ConfirmationPrompt {
public:
    QCoro::Task<bool> confirm(Request) override { co_return true; }
};

class IgnoringRaiser : public WindowRaiser {
public:
    void bringForward(QWindow &) override {}
};

// The events of the C key as the shortcut was given them.
struct CKeyLog {
    int downs = 0;
    int ups = 0;
    QList<std::optional<std::int32_t>> frontmost;
    QList<std::uint64_t> modifierFlags;
};

} // namespace

class TestX11DoubleCopy : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserPreferences> m_preferences;
    X11KeySource m_keys;
    SystemClipboard m_clipboard;
    Test::ManualClock m_clock;
    ConfirmingPrompt m_prompt;
    IgnoringRaiser m_raiser;
    std::unique_ptr<GlobalCopyShortcut> m_shortcut;
    CKeyLog m_log;

    // Killed, at the latest, when the test object goes.
    QProcess *launch(const QString &program, const QStringList &arguments)
    {
        auto *process = new QProcess(this);
        process->start(program, arguments);
        if (!process->waitForStarted()) {
            qWarning() << program << "did not start";
        }
        return process;
    }

    // A window of another process, focused by the window manager.
    QString showTargetWindow(const QString &name)
    {
        launch("xmessage", {"-name", name, name});
        QProcess search;
        search.start("xdotool", {"search", "--sync", "--classname", name});
        search.waitForFinished(10'000);
        return QString::fromUtf8(search.readAllStandardOutput()).split('\n').first().trimmed();
    }

    static bool activate(const QString &window)
    {
        return QProcess::execute("xdotool", {"windowactivate", "--sync", window}) == 0;
    }

    // Types `keys` twice, 0.15 s apart; with `copied`, xclip takes the
    // clipboard right after the first press, as the application's own copy
    // would. Returns once the shortcut has seen both releases of C.
    void typeTwice(const QString &keys, const std::optional<QString> &copied)
    {
        m_log = {};
        // It takes the clipboard when its input ends.
        QProcess *clipboardOwner =
            copied ? launch("xclip", {"-quiet", "-selection", "clipboard"}) : nullptr;
        QSignalSpy clipboardChanges(&m_clipboard, &ClipboardSource::changed);
        QProcess *typing = launch("xdotool", {"key", keys, "sleep", "0.15", "key", keys});
        if (clipboardOwner) {
            QTRY_VERIFY(m_log.downs >= 1);
            clipboardOwner->write(copied->toUtf8());
            clipboardOwner->closeWriteChannel();
            QTRY_VERIFY(clipboardChanges.size() >= 1);
        }
        QVERIFY(typing->waitForFinished(10'000));
        QTRY_COMPARE(m_log.ups, 2);
        QCOMPARE(m_log.downs, 2);
    }

    void settle(std::chrono::milliseconds duration)
    {
        m_clock.advance(duration);
        Test::settle();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run through xvfbsession.sh");
        m_preferences = std::make_unique<UserPreferences>(m_dir.filePath("tolvan.conf"));
        m_shortcut = std::make_unique<GlobalCopyShortcut>(
            *m_preferences, true,
            GlobalCopyShortcut::Platform{m_keys, m_clipboard, m_clock, m_prompt, m_raiser});
        connect(&m_keys, &KeyEventSource::keyEvent, this, [this](const KeyEvent &event) {
            if (event.keyCode != KeyEvent::cKeyCode) {
                return;
            }
            if (event.type == KeyEvent::Type::KeyDown) {
                ++m_log.downs;
                m_log.frontmost.append(event.frontmostProcessID);
                m_log.modifierFlags.append(event.modifierFlags);
            } else {
                ++m_log.ups;
            }
        });

        QVERIFY(m_shortcut->hasPermission());
        QVERIFY(!m_shortcut->isMonitoring());
        m_shortcut->toggle();
        QVERIFY(m_shortcut->isEnabled());
        QVERIFY(m_shortcut->isMonitoring());

        QVERIFY(activate(showTargetWindow("tolvan-target")));
    }

    void typing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<std::optional<QString>>("copied");
        QTest::addColumn<std::uint64_t>("modifierFlags");
        QTest::addColumn<bool>("published");
        const std::uint64_t copy = KeyEvent::copyModifierFlag;
        QTest::newRow("double copy")
            << "ctrl+c" << std::optional<QString>("copied text") << copy << true;
        QTest::newRow("nothing copied") << "ctrl+c" << std::optional<QString>() << copy << false;
        QTest::newRow("a terminal's copy shortcut")
            << "ctrl+shift+c" << std::optional<QString>("terminal text")
            << (copy | KeyEvent::shiftFlag) << false;
    }

    void typing()
    {
        QFETCH(QString, keys);
        QFETCH(std::optional<QString>, copied);
        QFETCH(std::uint64_t, modifierFlags);
        QFETCH(bool, published);
        QSignalSpy requests(m_shortcut.get(), &GlobalCopyShortcut::requestIDChanged);
        typeTwice(keys, copied);
        QCOMPARE(m_log.modifierFlags, (QList<std::uint64_t>{modifierFlags, modifierFlags}));
        // Once recognised, the shortcut waits for the other application's copy.
        QCOMPARE(m_clock.pendingSleepCount(), modifierFlags == KeyEvent::copyModifierFlag ? 1 : 0);
        settle(100ms);
        settle(400ms);
        QCOMPARE(requests.size(), published ? 1 : 0);
        QCOMPARE(m_clock.pendingSleepCount(), 0);
        QCOMPARE(m_shortcut->takePendingText(), published ? copied : std::nullopt);
    }

    void frontmostProcessFollowsTheActiveWindow()
    {
        QSignalSpy switches(&m_keys, &KeyEventSource::activeApplicationChanged);
        for (const auto &[name, pid] : {std::pair{"tolvan-first", 1111}, {"tolvan-second", 2222}}) {
            const QString window = showTargetWindow(name);
            QCOMPARE(QProcess::execute("xprop", {"-id", window, "-f", "_NET_WM_PID", "32c", "-set",
                                                 "_NET_WM_PID", QString::number(pid)}),
                     0);
            const qsizetype switchesBefore = switches.size();
            QVERIFY(activate(window));
            QTRY_VERIFY(switches.size() > switchesBefore);
            typeTwice("ctrl+c", std::nullopt);
            QCOMPARE(m_log.frontmost, (QList<std::optional<std::int32_t>>{pid, pid}));
            settle(1s);
        }
    }

    void waylandSessionHasNoWatch()
    {
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        X11KeySource source;
        const bool available = source.isAvailable();
        const bool started = source.start();
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(!available);
        QVERIFY(!started);
    }

    // The watch's own connection ends without taking the process with it.
    void lostConnectionInterruptsTheWatch()
    {
        QProcess server;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
        QVERIFY(server.waitForStarted());
        QTRY_VERIFY(server.canReadLine());
        const QByteArray display = ':' + server.readLine().trimmed();

        const QByteArray ownDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", display);
        X11KeySource source;
        const bool started = source.start();
        qputenv("DISPLAY", ownDisplay);
        QVERIFY(started);

        QSignalSpy interruptions(&source, &KeyEventSource::interrupted);
        server.terminate();
        QVERIFY(server.waitForFinished());
        QTRY_COMPARE(interruptions.size(), 1);
        QVERIFY(!source.isRunning());
        // The next start connects afresh, here to the session's display.
        QVERIFY(source.start());
    }

    void stopEndsTheWatch()
    {
        m_shortcut->stop();
        QVERIFY(!m_shortcut->isMonitoring());
        QVERIFY(!m_keys.isRunning());
        m_shortcut->refreshPermission();
        QVERIFY(m_shortcut->isMonitoring());
    }
};

QTEST_MAIN(TestX11DoubleCopy)
#include "tst_x11doublecopy.moc"
