// From the X server's raw keys to a recognised double copy: the key state
// that turns raw presses into key events, the server's wrapping clock, and
// the recogniser that reads the events.

#include "doublecopyrecogniser.h"
#include "keystatetracker.h"
#include "servertimeline.h"

#include <QTest>

#include <cmath>

using namespace Tolvan;

namespace {

constexpr auto Down = KeyEvent::Type::KeyDown;
constexpr auto Up = KeyEvent::Type::KeyUp;
constexpr std::uint64_t copy = KeyEvent::copyModifierFlag;
constexpr std::int64_t c = KeyEvent::cKeyCode;

// A day of uptime, so that times are large, as real timestamps are.
constexpr std::uint64_t baseNs = 86'400'000'000'000;
constexpr std::int32_t otherApp = 4242;
constexpr std::int64_t otherKey = 0x100 + 38;

KeyEvent down(double seconds, std::uint64_t flags = copy, std::int64_t keyCode = c)
{
    return {.type = Down,
            .keyCode = keyCode,
            .modifierFlags = flags,
            .timestampNs = baseNs + std::uint64_t(std::llround(seconds * 1e6)) * 1000,
            .frontmostProcessID = otherApp};
}

KeyEvent up(double seconds, std::int64_t keyCode = c)
{
    KeyEvent event = down(seconds, 0, keyCode);
    event.type = Up;
    return event;
}

KeyEvent repeat(double seconds, std::int64_t keyCode = c)
{
    KeyEvent event = down(seconds, copy, keyCode);
    event.isAutorepeat = true;
    return event;
}

KeyEvent inApp(KeyEvent event, std::optional<std::int32_t> processID)
{
    event.frontmostProcessID = processID;
    return event;
}

KeyEvent whileActive(KeyEvent event)
{
    event.isAppActive = true;
    return event;
}

// The outcome of each event in turn: F a first press, D a double copy, . nothing.
QString outcomes(const QList<KeyEvent> &events)
{
    DoubleCopyRecogniser recogniser;
    QString marks;
    for (const KeyEvent &event : events) {
        const auto outcome = recogniser.handleKeyEvent(event);
        marks += outcome == DoubleCopyRecogniser::Outcome::FirstPress   ? 'F'
                 : outcome == DoubleCopyRecogniser::Outcome::DoubleCopy ? 'D'
                                                                        : '.';
    }
    return marks;
}

// Evdev keycodes of a US keyboard.
constexpr std::uint8_t controlL = 37;
constexpr std::uint8_t controlR = 105;
constexpr std::uint8_t shiftL = 50;
constexpr std::uint8_t altL = 64;
constexpr std::uint8_t superL = 133;
constexpr std::uint8_t capsLock = 66;
constexpr std::uint8_t keyC = KeyStateTracker::cKeycode;
constexpr std::uint8_t keyV = 55;

// A raw key event, or what the watch does to the tracker between them.
struct RawKey {
    enum Action { Press, Release, FoundDown, Reset } action;
    std::uint8_t keycode = 0;
};

RawKey press(std::uint8_t keycode)
{
    return {RawKey::Press, keycode};
}

RawKey release(std::uint8_t keycode)
{
    return {RawKey::Release, keycode};
}

// What the recogniser is given for one raw event, compactly.
struct Reduced {
    KeyEvent::Type type;
    std::int64_t keyCode;
    bool isAutorepeat;
    std::uint64_t modifierFlags;

    bool operator==(const Reduced &) const = default;
};

KeyStateTracker standardTracker()
{
    KeyStateTracker tracker;
    tracker.addModifierKey(shiftL, KeyEvent::shiftFlag);
    tracker.addModifierKey(capsLock, 0);
    tracker.addModifierKey(controlL, copy);
    tracker.addModifierKey(controlR, copy);
    tracker.addModifierKey(altL, KeyEvent::altFlag);
    tracker.addModifierKey(superL, KeyEvent::superFlag);
    return tracker;
}

QList<Reduced> reduce(const QList<RawKey> &keys)
{
    KeyStateTracker tracker = standardTracker();
    QList<Reduced> reduced;
    for (const RawKey &key : keys) {
        std::optional<KeyEvent> event;
        if (key.action == RawKey::Press) {
            event = tracker.press(key.keycode, 0);
        } else if (key.action == RawKey::Release) {
            event = tracker.release(key.keycode, 0);
        } else if (key.action == RawKey::FoundDown) {
            tracker.setKeysDown(std::bitset<256>().set(key.keycode));
        } else {
            tracker.reset();
        }
        if (event) {
            reduced.append(
                {event->type, event->keyCode, event->isAutorepeat, event->modifierFlags});
        }
    }
    return reduced;
}

} // namespace

class TestDoubleCopyKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recognises_data()
    {
        QTest::addColumn<QList<KeyEvent>>("events");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QList<KeyEvent> &events, const char *marks) {
            QTest::newRow(name) << events << QString::fromLatin1(marks);
        };

        // The second release fires, however late it comes.
        row("exactly 0.5 s counts", {down(0), up(0.1), down(0.5), up(3)}, "F..D");
        row("0.5001 s is a new first press",
            {down(0), up(0.1), down(0.5001), up(0.6), down(0.9), up(1.0)}, "F.F..D");

        row("Super on the second press cancels",
            {down(0), up(0.1), down(0.3, copy | KeyEvent::superFlag), up(0.4)}, "F...");
        row("C without the copy modifier cancels",
            {down(0), up(0.1), down(0.2, 0), up(0.25), down(0.3), up(0.4)}, "F...F.");
        row("Caps Lock and flags outside the mask are not looked at",
            {down(0, copy | KeyEvent::capsLockFlag), up(0.1), down(0.3, copy | 0x200000), up(0.4)},
            "F..D");

        row("repeats of another key do not cancel",
            {down(0), up(0.1), repeat(0.2, otherKey), down(0.3), up(0.4)}, "F...D");
        row("a second key-down without key-up is ignored",
            {down(0), down(0.1), up(0.2), down(0.3), up(0.4)}, "F...D");
        row("another key between cancels",
            {down(0), up(0.1), down(0.2, copy, otherKey), down(0.3), up(0.4)}, "F..F.");
        row("releases of other keys are ignored",
            {down(0), up(0.1), up(0.2, otherKey), down(0.3), up(0.4)}, "F...D");

        row("a change of frontmost application starts a new attempt",
            {down(0), up(0.1), inApp(down(0.3), 7), inApp(up(0.35), 7), inApp(down(0.5), 7),
             inApp(up(0.6), 7)},
            "F.F..D");
        row("no frontmost application at the first press",
            {inApp(down(0), std::nullopt), up(0.1), down(0.3), up(0.4)}, "F..D");

        row("this app active at the final release",
            {down(0), up(0.1), down(0.3), whileActive(up(0.4))}, "F...");
        row("a third press starts over",
            {down(0), up(0.1), down(0.3), up(0.35), down(0.4), up(0.45)}, "F..DF.");
    }

    void recognises()
    {
        QFETCH(QList<KeyEvent>, events);
        QFETCH(QString, expected);
        QCOMPARE(outcomes(events), expected);
    }

    void reduces_data()
    {
        QTest::addColumn<QList<RawKey>>("keys");
        QTest::addColumn<QList<Reduced>>("expected");
        const auto row = [](const char *name, const QList<RawKey> &keys,
                            const QList<Reduced> &expected) {
            QTest::newRow(name) << keys << expected;
        };

        row("Ctrl+C in order", {press(controlL), press(keyC), release(keyC), release(controlL)},
            {{Down, c, false, copy}, {Up, c, false, copy}});
        // As xdotool types under Xvfb: Ctrl goes up first, releases repeat.
        row("Ctrl released first, releases repeated",
            {press(controlL), press(keyC), release(controlL), release(keyC), release(controlL),
             release(keyC)},
            {{Down, c, false, copy}, {Up, c, false, 0}});
        // Caps Lock is a modifier key without a flag.
        row("only the modifiers held at the press count",
            {press(capsLock), press(superL), press(altL), press(shiftL), release(shiftL),
             press(controlL), press(keyC)},
            {{Down, c, false, copy | KeyEvent::altFlag | KeyEvent::superFlag}});
        row("one Ctrl of two released still holds Ctrl",
            {press(controlL), press(controlR), release(controlL), press(keyC)},
            {{Down, c, false, copy}});
        row("a held key repeats", {press(controlL), press(keyC), press(keyC), release(keyC)},
            {{Down, c, false, copy}, {Down, c, true, copy}, {Up, c, false, copy}});
        row("other keys are never the C key", {press(keyV), release(keyV)},
            {{Down, 0x100 + keyV, false, 0}, {Up, 0x100 + keyV, false, 0}});
        row("keys down when the watch starts count",
            {{RawKey::FoundDown, controlL}, press(keyC), release(controlL), release(keyC)},
            {{Down, c, false, copy}, {Up, c, false, 0}});
        row("a reset forgets the keys held",
            {press(controlL), press(keyC), {RawKey::Reset}, release(keyC), press(keyC)},
            {{Down, c, false, copy}, {Down, c, false, 0}});
    }

    void reduces()
    {
        QFETCH(QList<RawKey>, keys);
        QFETCH(QList<Reduced>, expected);
        QCOMPARE(reduce(keys), expected);
    }

    void timestampsPassThrough()
    {
        KeyStateTracker tracker = standardTracker();
        QCOMPARE(tracker.press(keyC, 123'000'000)->timestampNs, 123'000'000u);
    }

    void serverTime_data()
    {
        QTest::addColumn<QList<std::uint32_t>>("serverTimesMs");
        QTest::addColumn<QList<std::int64_t>>("expectedMsFromFirst");
        const auto row = [](const char *name, const QList<std::uint32_t> &serverTimesMs,
                            const QList<std::int64_t> &expectedMsFromFirst) {
            QTest::newRow(name) << serverTimesMs << expectedMsFromFirst;
        };
        row("across the 32-bit wrap", {0xFFFFFF00u, 0xFFFFFFFFu, 0x10u, 0x200u},
            {0, 0xFF, 0x110, 0x300});
        row("out of order across the wrap", {0x5u, 0xFFFFFFF0u, 0x20u}, {0, -0x15, 0x1B});
    }

    void serverTime()
    {
        QFETCH(QList<std::uint32_t>, serverTimesMs);
        QFETCH(QList<std::int64_t>, expectedMsFromFirst);
        ServerTimeline timeline;
        const std::uint64_t first = timeline.nanoseconds(serverTimesMs.first());
        QList<std::int64_t> fromFirst{0};
        for (qsizetype index = 1; index < serverTimesMs.size(); ++index) {
            const std::uint64_t ns = timeline.nanoseconds(serverTimesMs[index]);
            fromFirst.append(static_cast<std::int64_t>(ns - first) / 1'000'000);
        }
        QCOMPARE(fromFirst, expectedMsFromFirst);

        // After a reset the next time starts the line afresh.
        timeline.reset();
        QCOMPARE(timeline.nanoseconds(0x10u), 0x10u * 1'000'000u);
    }
};

QTEST_APPLESS_MAIN(TestDoubleCopyKeys)
#include "tst_doublecopykeys.moc"
