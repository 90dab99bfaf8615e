#include "confirmationprompt.h"
#include "globalcopyshortcut.h"
#include "manualclock.h"
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
    QList<QProcess *> m_processes;
    CKeyLog m_log;

    QProcess *launch(const QString &program, const QStringList &arguments)
    {
        auto *process = new QProcess(this);
        m_processes.append(process);
        process->start(program, arguments);
        if (!process->waitForStarted()) {
            qWarning() << program << "did not start";
        }
        return process;
    }

    static bool run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(10'000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // A window of another process, focused by the window manager.
    QString showTargetWindow(const QString &name)
    {
        launch(QStringLiteral("xmessage"), {QStringLiteral("-name"), name, name});
        QProcess search;
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                                 QStringLiteral("--classname"), name});
        search.waitForFinished(10'000);
        return QString::fromUtf8(search.readAllStandardOutput()).split('\n').first().trimmed();
    }

    static bool activate(const QString &window)
    {
        return run(QStringLiteral("xdotool"),
                   {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    }

    // Types `keys` twice, 0.15 s apart; with `copied`, xclip takes the
    // clipboard right after the first press, as the application's own copy
    // would. Returns once the shortcut has seen both releases of C.
    void typeTwice(const QString &keys, const std::optional<QString> &copied)
    {
        m_log = {};
        QProcess *clipboardOwner = nullptr;
        if (copied) {
            // It takes the clipboard when its input ends.
            clipboardOwner = launch(QStringLiteral("xclip"),
                                    {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                     QStringLiteral("clipboard")});
        }
        QSignalSpy clipboardChanges(&m_clipboard, &ClipboardSource::changed);
        QProcess *typing = launch(QStringLiteral("xdotool"),
                                  {QStringLiteral("key"), keys, QStringLiteral("sleep"),
                                   QStringLiteral("0.15"), QStringLiteral("key"), keys});
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
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::processEvents();
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run through xvfbsession.sh");
        m_preferences =
            std::make_unique<UserPreferences>(m_dir.filePath(QStringLiteral("tolvan.conf")));
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

        QVERIFY(activate(showTargetWindow(QStringLiteral("tolvan-target"))));
    }

    void cleanupTestCase()
    {
        m_shortcut.reset();
        for (QProcess *process : std::as_const(m_processes)) {
            process->kill();
            process->waitForFinished();
        }
    }

    void doubleCopyPublishesTheCopiedText()
    {
        QSignalSpy requests(m_shortcut.get(), &GlobalCopyShortcut::requestIDChanged);
        typeTwice(QStringLiteral("ctrl+c"), QStringLiteral("copied from the other app"));
        QCOMPARE(m_log.modifierFlags,
                 (QList<std::uint64_t>{KeyEvent::copyModifierFlag, KeyEvent::copyModifierFlag}));
        settle(100ms);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(m_shortcut->takePendingText(),
                 std::optional<QString>(QStringLiteral("copied from the other app")));
        settle(1s);
        QCOMPARE(requests.size(), 1);
    }

    void terminalCopyShortcutDoesNothing()
    {
        QSignalSpy requests(m_shortcut.get(), &GlobalCopyShortcut::requestIDChanged);
        typeTwice(QStringLiteral("ctrl+shift+c"), QStringLiteral("terminal text"));
        QCOMPARE(m_clock.pendingSleepCount(), 0);
        settle(1s);
        QCOMPARE(requests.size(), 0);
    }

    void noCopyNoRequest()
    {
        QSignalSpy requests(m_shortcut.get(), &GlobalCopyShortcut::requestIDChanged);
        typeTwice(QStringLiteral("ctrl+c"), std::nullopt);
        // Recognised, but nothing was copied: it waits for a copy, then drops.
        QCOMPARE(m_clock.pendingSleepCount(), 1);
        settle(100ms);
        settle(400ms);
        QCOMPARE(requests.size(), 0);
        QCOMPARE(m_clock.pendingSleepCount(), 0);
    }

    void frontmostProcessFollowsTheActiveWindow()
    {
        const QString first = showTargetWindow(QStringLiteral("tolvan-first"));
        const QString second = showTargetWindow(QStringLiteral("tolvan-second"));
        for (const auto &[window, pid] : {std::pair{first, 1111}, std::pair{second, 2222}}) {
            QVERIFY(
                run(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), window, QStringLiteral("-f"),
                     QStringLiteral("_NET_WM_PID"), QStringLiteral("32c"), QStringLiteral("-set"),
                     QStringLiteral("_NET_WM_PID"), QString::number(pid)}));
        }
        QSignalSpy switches(&m_keys, &KeyEventSource::activeApplicationChanged);
        for (const auto &[window, pid] : {std::pair{first, 1111}, std::pair{second, 2222}}) {
            const qsizetype switchesBefore = switches.size();
            QVERIFY(activate(window));
            QTRY_VERIFY(switches.size() > switchesBefore);
            typeTwice(QStringLiteral("ctrl+c"), std::nullopt);
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
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
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
