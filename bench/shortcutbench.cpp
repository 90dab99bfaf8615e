#include "doublecopyrecogniser.h"
#include "keystatetracker.h"

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

using namespace Tolvan;

namespace {

// A stretch of ordinary typing with a double copy in it, as raw X key
// events: the recogniser and the reduction in front of it see every one.
struct RawKey {
    std::uint8_t keycode;
    bool isPress;
};

std::vector<RawKey> typingWithDoubleCopy()
{
    std::vector<RawKey> keys;
    for (std::uint8_t keycode : {43, 26, 46, 46, 32, 65, 25, 32, 27, 46, 40}) {
        keys.push_back({keycode, true});
        keys.push_back({keycode, false});
    }
    constexpr std::uint8_t control = 37;
    for (int copy = 0; copy < 2; ++copy) {
        keys.push_back({control, true});
        keys.push_back({KeyStateTracker::cKeycode, true});
        keys.push_back({KeyStateTracker::cKeycode, false});
        keys.push_back({control, false});
    }
    return keys;
}

// The modifier keys of a common evdev keyboard.
void addModifierKeys(KeyStateTracker &tracker)
{
    const std::pair<std::uint8_t, std::uint64_t> modifiers[] = {
        {50, KeyEvent::shiftFlag},
        {62, KeyEvent::shiftFlag},
        {37, KeyEvent::copyModifierFlag},
        {105, KeyEvent::copyModifierFlag},
        {64, KeyEvent::altFlag},
        {108, KeyEvent::altFlag},
        {133, KeyEvent::superFlag},
        {134, KeyEvent::superFlag},
        {66, 0},
    };
    for (const auto &[keycode, flag] : modifiers) {
        tracker.addModifierKey(keycode, flag);
    }
}

std::vector<KeyEvent> reduced(const std::vector<RawKey> &keys)
{
    KeyStateTracker tracker;
    addModifierKeys(tracker);
    std::vector<KeyEvent> events;
    std::uint64_t timeNs = 0;
    for (const RawKey &key : keys) {
        timeNs += 40'000'000;
        const std::optional<KeyEvent> event =
            key.isPress ? tracker.press(key.keycode, timeNs) : tracker.release(key.keycode, timeNs);
        if (event) {
            events.push_back(*event);
            events.back().frontmostProcessID = 4242;
        }
    }
    return events;
}

void BM_RecogniserPerKeyEvent(benchmark::State &state)
{
    const std::vector<KeyEvent> events = reduced(typingWithDoubleCopy());
    DoubleCopyRecogniser recogniser;
    std::size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(recogniser.handleKeyEvent(events[index]));
        index = index + 1 == events.size() ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecogniserPerKeyEvent);

// The X layer's share: raw key event to the recogniser's record.
void BM_RawKeyReductionPerEvent(benchmark::State &state)
{
    const std::vector<RawKey> keys = typingWithDoubleCopy();
    KeyStateTracker tracker;
    addModifierKeys(tracker);
    std::size_t index = 0;
    std::uint64_t timeNs = 0;
    for (auto _ : state) {
        const RawKey &key = keys[index];
        timeNs += 40'000'000;
        benchmark::DoNotOptimize(key.isPress ? tracker.press(key.keycode, timeNs)
                                             : tracker.release(key.keycode, timeNs));
        index = index + 1 == keys.size() ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawKeyReductionPerEvent);

} // namespace
