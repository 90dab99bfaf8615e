#pragma once

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QPointer>

namespace Tolvan {

// Resumes once `property` of `store` reads `value`, reading it again whenever
// the store emits `changed`; at once when it already does. The store must
// outlive the wait, since the signal that resumes it goes with the store.
template<typename Store>
QCoro::Task<> waitFor(Store *store, bool (Store::*property)() const, void (Store::*changed)(),
                      bool value)
{
    QPointer<Store> guard(store);
    while (guard && (guard.data()->*property)() != value) {
        co_await qCoro(guard.data(), changed);
    }
}

} // namespace Tolvan
