#include "doublecopyrecogniser.h"

#include <QList>
#include <QTest>

#include <cmath>

using namespace Tolvan;

namespace {

using Outcome = DoubleCopyRecogniser::Outcome;

// A day of uptime, so that times are large, as real timestamps are.
constexpr std::uint64_t baseNs = 86'400'000'000'000;
constexpr std::uint64_t copy = KeyEvent::copyModifierFlag;
constexpr std::int32_t otherApp = 4242;
constexpr std::int64_t otherKey = 0x100 + 38;

KeyEvent at(double seconds, KeyEvent event)
{
    event.timestampNs = baseNs + static_cast<std::uint64_t>(std::llround(seconds * 1e6)) * 1000;
    return event;
}

KeyEvent down(double seconds, std::uint64_t flags = copy, std::int64_t keyCode = KeyEvent::cKeyCode)
{
    return at(seconds, {.type = KeyEvent::Type::KeyDown,
                        .keyCode = keyCode,
                        .modifierFlags = flags,
                        .frontmostProcessID = otherApp});
}

KeyEvent up(double seconds, std::int64_t keyCode = KeyEvent::cKeyCode)
{
    return at(seconds,
              {.type = KeyEvent::Type::KeyUp, .keyCode = keyCode, .frontmostProcessID = otherApp});
}

KeyEvent repeat(double seconds, std::int64_t keyCode = KeyEvent::cKeyCode)
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

// The indexes of the events on which a double copy was recognised.
QList<int> recognisedAt(const QList<KeyEvent> &events)
{
    DoubleCopyRecogniser recogniser;
    QList<int> indexes;
    for (int index = 0; index < events.size(); ++index) {
        if (recogniser.handleKeyEvent(events[index]) == Outcome::DoubleCopy) {
            indexes.append(index);
        }
    }
    return indexes;
}

} // namespace

class TestDoubleCopyRecogniser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recognises_data()
    {
        QTest::addColumn<QList<KeyEvent>>("events");
        QTest::addColumn<QList<int>>("expected");

        const QList<int> none;
        const QList<int> onLast3 = {3};

        QTest::newRow("second press 0.4 s later, fires on its release")
            << QList{down(0), up(0.1), down(0.4), up(0.45)} << onLast3;
        QTest::newRow("nothing before the second C is released")
            << QList{down(0), up(0.1), down(0.4)} << none;
        QTest::newRow("the release may come late")
            << QList{down(0), up(0.1), down(0.4), up(3)} << onLast3;
        QTest::newRow("exactly 0.5 s counts")
            << QList{down(0), up(0.1), down(0.5), up(0.6)} << onLast3;
        QTest::newRow("0.5001 s becomes the new first press")
            << QList{down(0), up(0.1), down(0.5001), up(0.6), down(0.9), up(1.0)} << QList{5};
        QTest::newRow("first C released at once")
            << QList{down(0), up(0.001), down(0.3), up(0.35)} << onLast3;
        QTest::newRow("first C released just before the second press")
            << QList{down(0), up(0.449), down(0.45), up(0.5)} << onLast3;
        QTest::newRow("first release of C without a press")
            << QList{up(0), down(0.1), up(0.2), down(0.3), up(0.4)} << QList{4};

        QTest::newRow("Shift on the first press cancels")
            << QList{down(0, copy | KeyEvent::shiftFlag), up(0.1), down(0.3), up(0.4)} << none;
        QTest::newRow("Shift on the second press cancels")
            << QList{down(0), up(0.1), down(0.3, copy | KeyEvent::shiftFlag), up(0.4)} << none;
        QTest::newRow("Alt on the first press cancels")
            << QList{down(0, copy | KeyEvent::altFlag), up(0.1), down(0.3), up(0.4)} << none;
        QTest::newRow("Alt on the second press cancels")
            << QList{down(0), up(0.1), down(0.3, copy | KeyEvent::altFlag), up(0.4)} << none;
        QTest::newRow("Super on the first press cancels")
            << QList{down(0, copy | KeyEvent::superFlag), up(0.1), down(0.3), up(0.4)} << none;
        QTest::newRow("Super on the second press cancels")
            << QList{down(0), up(0.1), down(0.3, copy | KeyEvent::superFlag), up(0.4)} << none;
        QTest::newRow("C without the copy modifier cancels")
            << QList{down(0), up(0.1), down(0.2, 0), up(0.25), down(0.3), up(0.4)} << none;
        QTest::newRow("Caps Lock still counts")
            << QList{down(0, copy | KeyEvent::capsLockFlag), up(0.1),
                     down(0.3, copy | KeyEvent::capsLockFlag), up(0.4)}
            << onLast3;
        QTest::newRow("flags outside the mask are not looked at")
            << QList{down(0, copy | 0x800000), up(0.1), down(0.3, copy | 0x200000), up(0.4)}
            << onLast3;

        QTest::newRow("holding C: repeats are one press")
            << QList{down(0), repeat(0.1), repeat(0.2), up(0.25), down(0.4), up(0.45)} << QList{5};
        QTest::newRow("repeats of C alone never count as the second press")
            << QList{down(0), repeat(0.3), repeat(0.35), up(0.4)} << none;
        QTest::newRow("repeats of another key do not cancel")
            << QList{down(0), up(0.1), repeat(0.2, otherKey), down(0.3), up(0.4)} << QList{4};
        QTest::newRow("a second key-down without key-up is ignored")
            << QList{down(0), down(0.1), up(0.2), down(0.3), up(0.4)} << QList{4};

        QTest::newRow("another key between cancels")
            << QList{down(0), up(0.1), down(0.2, 0, otherKey), down(0.3), up(0.4)} << none;
        QTest::newRow("the copy modifier with another key cancels")
            << QList{down(0), up(0.1), down(0.2, copy, otherKey), down(0.3), up(0.4)} << none;
        QTest::newRow("releases of other keys are ignored")
            << QList{down(0), up(0.1), up(0.2, otherKey), down(0.3), up(0.4)} << QList{4};

        QTest::newRow("frontmost application changed")
            << QList{down(0), up(0.1), inApp(down(0.3), 7), inApp(up(0.4), 7)} << none;
        QTest::newRow("after a change the press starts a new attempt") << QList{down(0),
                                                                                up(0.1),
                                                                                inApp(down(0.3), 7),
                                                                                inApp(up(0.35), 7),
                                                                                inApp(down(0.5), 7),
                                                                                inApp(up(0.6), 7)}
                                                                       << QList{5};
        QTest::newRow("frontmost application gone")
            << QList{down(0), up(0.1), inApp(down(0.3), std::nullopt), up(0.4)} << none;
        QTest::newRow("no frontmost application at the first press")
            << QList{inApp(down(0), std::nullopt), up(0.1), down(0.3), up(0.4)} << onLast3;

        QTest::newRow("this app active at the second press")
            << QList{down(0), up(0.1), whileActive(down(0.3)), up(0.4)} << none;
        QTest::newRow("this app active at the first press")
            << QList{whileActive(down(0)), up(0.1), down(0.3), up(0.4)} << none;
        QTest::newRow("this app active between resets the attempt")
            << QList{down(0), up(0.1), whileActive(up(0.2, otherKey)), down(0.3), up(0.4)} << none;
        QTest::newRow("this app active at the final release")
            << QList{down(0), up(0.1), down(0.3), whileActive(up(0.4))} << none;

        QTest::newRow("a third press starts over")
            << QList{down(0), up(0.1), down(0.3), up(0.35), down(0.4), up(0.45)} << onLast3;
        QTest::newRow("two double copies in a row")
            << QList{down(0), up(0.1), down(0.3), up(0.35), down(1), up(1.1), down(1.2), up(1.3)}
            << QList{3, 7};
    }

    void recognises()
    {
        QFETCH(QList<KeyEvent>, events);
        QFETCH(QList<int>, expected);
        QCOMPARE(recognisedAt(events), expected);
    }

    void firstPressIsReported()
    {
        DoubleCopyRecogniser recogniser;
        QCOMPARE(recogniser.handleKeyEvent(down(0)), Outcome::FirstPress);
        QCOMPARE(recogniser.handleKeyEvent(up(0.1)), Outcome::None);
        QCOMPARE(recogniser.handleKeyEvent(down(0.3)), Outcome::None);
        QCOMPARE(recogniser.handleKeyEvent(up(0.4)), Outcome::DoubleCopy);
        QCOMPARE(recogniser.handleKeyEvent(down(0.6)), Outcome::FirstPress);
    }

    void resetForgetsTheAttempt()
    {
        DoubleCopyRecogniser recogniser;
        recogniser.handleKeyEvent(down(0));
        recogniser.handleKeyEvent(up(0.1));
        recogniser.resetPressState();
        QCOMPARE(recogniser.handleKeyEvent(down(0.3)), Outcome::FirstPress);
        QCOMPARE(recogniser.handleKeyEvent(up(0.4)), Outcome::None);
    }
};

QTEST_APPLESS_MAIN(TestDoubleCopyRecogniser)
#include "tst_doublecopyrecogniser.moc"
