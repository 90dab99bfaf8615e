#include "requestaccess.h"

#include "authstore.h"

#include <utility>

namespace Tolvan {

RequestAccess::RequestAccess(Outcome outcome, QString accessToken)
    : m_outcome(outcome)
    , m_accessToken(std::move(accessToken))
{
}

QCoro::Task<RequestAccess> RequestAccess::obtain(AuthStore *auth, QPointer<QObject> requester,
                                                 std::function<bool()> isCurrent)
{
    co_await auth->refreshIfNeeded();
    // The judgement reads the requester's state, so its existence comes first.
    if (!requester) {
        co_return RequestAccess(Outcome::RequesterGone);
    }
    if (isCurrent && !isCurrent()) {
        co_return RequestAccess(Outcome::Stale);
    }
    if (auth->phase() != AuthStore::Phase::Authenticated || !auth->session()) {
        co_return RequestAccess(Outcome::SignedOut);
    }
    co_return RequestAccess(Outcome::Granted, auth->session()->tokens.accessToken);
}

} // namespace Tolvan
