#include "doublecopyrecogniser.h"

namespace Tolvan {

namespace {

constexpr std::uint64_t qualifyingMask =
    KeyEvent::shiftFlag | KeyEvent::superFlag | KeyEvent::altFlag | KeyEvent::copyModifierFlag;

bool isQualifyingPress(const KeyEvent &event)
{
    return event.keyCode == KeyEvent::cKeyCode &&
           (event.modifierFlags & qualifyingMask) == KeyEvent::copyModifierFlag;
}

} // namespace

DoubleCopyRecogniser::Outcome DoubleCopyRecogniser::handleKeyEvent(const KeyEvent &event)
{
    if (event.isAppActive) {
        resetPressState();
        return Outcome::None;
    }
    if (m_sourcePID && event.frontmostProcessID != m_sourcePID) {
        resetPressState();
    }

    if (event.type == KeyEvent::Type::KeyUp) {
        if (event.keyCode != KeyEvent::cKeyCode) {
            return Outcome::None;
        }
        m_cIsDown = false;
        if (m_awaitingRelease) {
            resetPressState();
            return Outcome::DoubleCopy;
        }
        return Outcome::None;
    }
    if (event.type != KeyEvent::Type::KeyDown || event.isAutorepeat) {
        return Outcome::None;
    }

    if (!isQualifyingPress(event)) {
        resetPressState();
        return Outcome::None;
    }
    if (m_cIsDown) {
        return Outcome::None;
    }
    m_cIsDown = true;
    // The signed difference keeps a timestamp slightly older than the first
    // press inside the window rather than wrapping to a huge distance.
    if (m_firstPressNs && static_cast<std::int64_t>(event.timestampNs - *m_firstPressNs) <=
                              static_cast<std::int64_t>(windowNs)) {
        m_awaitingRelease = true;
        return Outcome::None;
    }
    m_firstPressNs = event.timestampNs;
    m_sourcePID = event.frontmostProcessID;
    return Outcome::FirstPress;
}

void DoubleCopyRecogniser::resetPressState()
{
    m_firstPressNs.reset();
    m_sourcePID.reset();
    m_cIsDown = false;
    m_awaitingRelease = false;
}

} // namespace Tolvan
