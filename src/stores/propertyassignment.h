#pragma once

#include <QObject>

#include <type_traits>

namespace Tolvan {

// Writes `value` into `field` and emits `changed` only when they differ, so
// that observers hear of real changes only. True when the field changed.
template<typename Owner, typename T>
bool assignProperty(Owner *owner, T &field, const std::type_identity_t<T> &value,
                    void (Owner::*changed)())
{
    if (field == value) {
        return false;
    }
    field = value;
    Q_EMIT(owner->*changed)();
    return true;
}

} // namespace Tolvan
