#include "doublecopyrecogniser.h"
#include "x11keysource.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;

// Runs only inside the private X session of xvfbsession.sh: the keys typed
// here go to whatever window has the focus.

class TestX11DoubleCopy : public QObject {
    Q_OBJECT

private:
    X11KeySource m_keys;
    DoubleCopyRecogniser m_recogniser;
    // The presses of the C key as the watch reported them.
    QList<KeyEvent> m_cDowns;
    int m_cUps = 0;
    bool m_recognised = false;

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

    // Types `keys` twice, 0.15 s apart; returns once the watch has reported
    // both releases of C.
    void typeTwice(const QString &keys)
    {
        m_cDowns.clear();
        m_cUps = 0;
        m_recognised = false;
        QProcess *typing = launch("xdotool", {"key", keys, "sleep", "0.15", "key", keys});
        QVERIFY(typing->waitForFinished(10'000));
        QTRY_COMPARE(m_cUps, 2);
        QCOMPARE(m_cDowns.size(), 2);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run through xvfbsession.sh");
        connect(&m_keys, &KeyEventSource::keyEvent, this, [this](const KeyEvent &event) {
            m_recognised |=
                m_recogniser.handleKeyEvent(event) == DoubleCopyRecogniser::Outcome::DoubleCopy;
            if (event.keyCode != KeyEvent::cKeyCode) {
                return;
            }
            if (event.type == KeyEvent::Type::KeyDown) {
                m_cDowns.append(event);
            } else {
                ++m_cUps;
            }
        });
        QVERIFY(m_keys.isAvailable());
        QVERIFY(m_keys.start());
        QVERIFY(activate(showTargetWindow("tolvan-target")));
    }

    // A double copy end to end is walked with the whole app; a terminal's
    // copy shortcut is told apart by its Shift.
    void terminalCopyIsNotADoubleCopy()
    {
        typeTwice("ctrl+shift+c");
        for (const KeyEvent &press : std::as_const(m_cDowns)) {
            QCOMPARE(press.modifierFlags, KeyEvent::copyModifierFlag | KeyEvent::shiftFlag);
            QVERIFY(!press.isAutorepeat);
        }
        QVERIFY(!m_recognised);
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
            typeTwice("ctrl+c");
            QCOMPARE(m_cDowns.first().frontmostProcessID, pid);
            QCOMPARE(m_cDowns.last().frontmostProcessID, pid);
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
};

QTEST_MAIN(TestX11DoubleCopy)
#include "tst_x11doublecopy.moc"
