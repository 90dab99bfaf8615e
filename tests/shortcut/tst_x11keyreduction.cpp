#include "keystatetracker.h"
#include "servertimeline.h"

#include <QList>
#include <QTest>

using namespace Tolvan;

namespace {

constexpr std::uint8_t controlL = 37;
constexpr std::uint8_t controlR = 105;
constexpr std::uint8_t shiftL = 50;
constexpr std::uint8_t altL = 64;
constexpr std::uint8_t superL = 133;
constexpr std::uint8_t capsLock = 66;
constexpr std::uint8_t keyC = KeyStateTracker::cKeycode;
constexpr std::uint8_t keyV = 55;

// A raw key event: keycode and press (true) or release.
struct RawKey {
    std::uint8_t keycode;
    bool isPress;
};

RawKey press(std::uint8_t keycode)
{
    return {keycode, true};
}

RawKey release(std::uint8_t keycode)
{
    return {keycode, false};
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
    tracker.addModifierKey(controlL, KeyEvent::copyModifierFlag);
    tracker.addModifierKey(controlR, KeyEvent::copyModifierFlag);
    tracker.addModifierKey(altL, KeyEvent::altFlag);
    tracker.addModifierKey(superL, KeyEvent::superFlag);
    return tracker;
}

QList<Reduced> reduce(KeyStateTracker &tracker, const QList<RawKey> &keys)
{
    QList<Reduced> reduced;
    for (const RawKey &key : keys) {
        const std::optional<KeyEvent> event =
            key.isPress ? tracker.press(key.keycode, 0) : tracker.release(key.keycode, 0);
        if (event) {
            reduced.append(
                {event->type, event->keyCode, event->isAutorepeat, event->modifierFlags});
        }
    }
    return reduced;
}

constexpr auto Down = KeyEvent::Type::KeyDown;
constexpr auto Up = KeyEvent::Type::KeyUp;
constexpr std::uint64_t copy = KeyEvent::copyModifierFlag;
constexpr std::int64_t c = KeyEvent::cKeyCode;

} // namespace

class TestX11KeyReduction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reduces_data()
    {
        QTest::addColumn<QList<RawKey>>("keys");
        QTest::addColumn<QList<Reduced>>("expected");

        QTest::newRow("Ctrl+C in order")
            << QList{press(controlL), press(keyC), release(keyC), release(controlL)}
            << QList<Reduced>{{Down, c, false, copy}, {Up, c, false, copy}};
        // As xdotool types under Xvfb: Ctrl goes up first, releases repeat.
        QTest::newRow("Ctrl released first, releases repeated")
            << QList{press(controlL), press(keyC),       release(controlL),
                     release(keyC),   release(controlL), release(keyC)}
            << QList<Reduced>{{Down, c, false, copy}, {Up, c, false, 0}};
        QTest::newRow("the right Ctrl is the copy modifier too")
            << QList{press(controlR), press(keyC)} << QList<Reduced>{{Down, c, false, copy}};
        QTest::newRow("Ctrl+Shift+C")
            << QList{press(controlL), press(shiftL), press(keyC)}
            << QList<Reduced>{{Down, c, false, copy | KeyEvent::shiftFlag}};
        QTest::newRow("Ctrl+Alt+C") << QList{press(altL), press(controlL), press(keyC)}
                                    << QList<Reduced>{{Down, c, false, copy | KeyEvent::altFlag}};
        QTest::newRow("Super+Ctrl+C")
            << QList{press(superL), press(controlL), press(keyC)}
            << QList<Reduced>{{Down, c, false, copy | KeyEvent::superFlag}};
        QTest::newRow("Caps Lock is a modifier key without a flag")
            << QList{press(capsLock), release(capsLock), press(controlL), press(keyC)}
            << QList<Reduced>{{Down, c, false, copy}};
        QTest::newRow("a modifier released before the press no longer counts")
            << QList{press(shiftL), release(shiftL), press(controlL), press(keyC)}
            << QList<Reduced>{{Down, c, false, copy}};
        QTest::newRow("one Ctrl of two released still holds Ctrl")
            << QList{press(controlL), press(controlR), release(controlL), press(keyC)}
            << QList<Reduced>{{Down, c, false, copy}};
        QTest::newRow("a held key repeats")
            << QList{press(controlL), press(keyC), press(keyC), press(keyC), release(keyC)}
            << QList<Reduced>{{Down, c, false, copy},
                              {Down, c, true, copy},
                              {Down, c, true, copy},
                              {Up, c, false, copy}};
        QTest::newRow("other keys are never the C key")
            << QList{press(keyV), release(keyV)}
            << QList<Reduced>{{Down, 0x100 + keyV, false, 0}, {Up, 0x100 + keyV, false, 0}};
        QTest::newRow("a release of a key never pressed")
            << QList{release(keyC)} << QList<Reduced>{};
    }

    void reduces()
    {
        QFETCH(QList<RawKey>, keys);
        QFETCH(QList<Reduced>, expected);
        KeyStateTracker tracker = standardTracker();
        QCOMPARE(reduce(tracker, keys), expected);
    }

    void keysDownAtStartCount()
    {
        KeyStateTracker tracker = standardTracker();
        std::bitset<256> down;
        down.set(controlL);
        tracker.setKeysDown(down);
        QCOMPARE(reduce(tracker, {press(keyC), release(controlL), release(keyC)}),
                 (QList<Reduced>{{Down, c, false, copy}, {Up, c, false, 0}}));
    }

    void resetForgetsHeldKeys()
    {
        KeyStateTracker tracker = standardTracker();
        reduce(tracker, {press(controlL), press(keyC)});
        tracker.reset();
        QCOMPARE(reduce(tracker, {release(keyC), press(keyC)}),
                 (QList<Reduced>{{Down, c, false, 0}}));
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

        QTest::newRow("steady") << QList<std::uint32_t>{1000, 1200, 1700}
                                << QList<std::int64_t>{0, 200, 700};
        QTest::newRow("across the 32-bit wrap")
            << QList<std::uint32_t>{0xFFFFFF00u, 0xFFFFFFFFu, 0x10u, 0x200u}
            << QList<std::int64_t>{0, 0xFF, 0x110, 0x300};
        QTest::newRow("slightly out of order")
            << QList<std::uint32_t>{5000, 4990, 5100} << QList<std::int64_t>{0, -10, 100};
        QTest::newRow("out of order across the wrap")
            << QList<std::uint32_t>{0x5u, 0xFFFFFFF0u, 0x20u}
            << QList<std::int64_t>{0, -0x15, 0x1B};
    }

    void serverTime()
    {
        QFETCH(QList<std::uint32_t>, serverTimesMs);
        QFETCH(QList<std::int64_t>, expectedMsFromFirst);
        ServerTimeline timeline;
        QList<std::int64_t> fromFirst;
        const std::uint64_t first = timeline.nanoseconds(serverTimesMs.first());
        fromFirst.append(0);
        for (qsizetype index = 1; index < serverTimesMs.size(); ++index) {
            fromFirst.append(
                static_cast<std::int64_t>(timeline.nanoseconds(serverTimesMs[index]) - first) /
                1'000'000);
        }
        QCOMPARE(fromFirst, expectedMsFromFirst);
    }

    void serverTimeResetStartsAfresh()
    {
        ServerTimeline timeline;
        timeline.nanoseconds(0xFFFFFFF0u);
        timeline.reset();
        QCOMPARE(timeline.nanoseconds(0x10u), 0x10u * 1'000'000u);
    }
};

QTEST_APPLESS_MAIN(TestX11KeyReduction)
#include "tst_x11keyreduction.moc"
