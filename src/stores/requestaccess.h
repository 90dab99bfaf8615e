#pragma once

#include <QCoro/QCoroTask>
#include <QPointer>
#include <QString>

#include <functional>

namespace Tolvan {

class AuthStore;

// What a store's request coroutine may do once the session has had its chance
// to refresh: send with the access token, stop at once because the store is
// gone, skip the request because the work is stale or cancelled, or tell the
// user to sign in again.
class RequestAccess {
public:
    enum class Outcome { Granted, RequesterGone, Stale, SignedOut };

    // Awaits the session's refresh, then judges in that order: the requester
    // still exists, the work is still current, the user is signed in. Await
    // the returned task as a named variable.
    static QCoro::Task<RequestAccess> obtain(AuthStore *auth, QPointer<QObject> requester,
                                             std::function<bool()> isCurrent);

    Outcome outcome() const { return m_outcome; }
    bool isGranted() const { return m_outcome == Outcome::Granted; }
    bool requesterGone() const { return m_outcome == Outcome::RequesterGone; }
    bool isSignedOut() const { return m_outcome == Outcome::SignedOut; }
    const QString &accessToken() const { return m_accessToken; }

private:
    explicit RequestAccess(Outcome outcome, QString accessToken = {});

    Outcome m_outcome;
    QString m_accessToken;
};

} // namespace Tolvan
