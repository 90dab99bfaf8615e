#pragma once

#include "apiclientprotocol.h"
#include "authsession.h"
#include "cancellationtoken.h"
#include "clock.h"
#include "credentialstorageprotocol.h"
#include "sharedflight.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Tolvan {

// The signed-in state of the whole application: signs a user in with an
// e-mail code, keeps the session in the credential storage, restores it at
// start, refreshes the tokens shortly before they run out, ends the session
// when the server or the clock says it is over, and signs out.
//
// Confined to the main thread. Work that waits runs in coroutines that hold
// the store weakly; every answer is applied only while `generation` is the
// one captured when the work began, so a late answer changes nothing.
//
// The other stores await refreshIfNeeded() before each authorised request,
// then send it only when the phase is Authenticated and a session is present.
class AuthStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(bool hasSession READ hasSession NOTIFY sessionChanged)
    Q_PROPERTY(QString email READ email NOTIFY sessionChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(bool codeSent READ codeSent NOTIFY codeSentChanged)
    Q_PROPERTY(QString codeEmail READ codeEmail NOTIFY codeEmailChanged)
    Q_PROPERTY(QString message READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool hasMessage READ hasMessage NOTIFY messageChanged)

public:
    enum class Phase { Restoring, SignedOut, Authenticated, Recovery };
    Q_ENUM(Phase)

    // A session whose access token runs out within this margin is refreshed
    // at once; the timer fires this long before the access token runs out.
    static constexpr std::chrono::seconds refreshMargin{60};
    static constexpr std::chrono::seconds shortestTimerDelay{1};
    static constexpr int rejectionStatus = 401;

    // An absent client is an APIClient on the configured service; an absent
    // storage the one the environment chooses; an absent clock the system's.
    explicit AuthStore(std::shared_ptr<APIClientProtocol> client = {},
                       std::shared_ptr<CredentialStorageProtocol> storage = {},
                       std::shared_ptr<Clock> clock = {}, QObject *parent = nullptr);
    ~AuthStore() override;

    Phase phase() const { return m_phase; }
    const std::optional<AuthSession> &session() const { return m_session; }
    bool isBusy() const { return m_isBusy; }
    bool codeSent() const { return m_codeSent; }
    QString codeEmail() const { return m_codeEmail; }
    std::optional<QString> message() const { return m_message; }

    bool hasSession() const { return m_session.has_value(); }
    // The signed-in account's address; empty when signed out.
    QString email() const;
    QString messageText() const { return m_message.value_or(QString()); }
    bool hasMessage() const { return m_message.has_value(); }

    // The first call restores the saved session; later calls refresh it or
    // recover, by phase. A call while one is running does nothing.
    QCoro::Task<> handleWindowActivation();
    // Refreshes now when the access token runs out within the margin,
    // otherwise re-arms the refresh timer. Does nothing unless authenticated.
    QCoro::Task<> refreshIfNeeded();
    // Redoes whatever left the store in Recovery.
    QCoro::Task<> retry();
    QCoro::Task<> requestCode(QString email);
    QCoro::Task<> verifyCode(QString code);
    // Leaves the code step for the address step.
    Q_INVOKABLE void changeEmail();
    // Ends the session here at once and revokes it on the server without
    // waiting for the answer.
    QCoro::Task<> signOut();

    // `observer` is called synchronously, after the other observers, whenever
    // the signed-in account changes (signed in, signed out, or another user).
    void addAccountChangeObserver(std::function<void()> observer);

    // For the screens: start the operation and return at once.
    Q_INVOKABLE void startWindowActivation();
    Q_INVOKABLE void startRetry();
    Q_INVOKABLE void startRequestCode(const QString &email);
    Q_INVOKABLE void startVerifyCode(const QString &code);
    Q_INVOKABLE void startSignOut();

Q_SIGNALS:
    void phaseChanged();
    // Emitted on every write of the session, even of an equal value.
    void sessionChanged();
    void isBusyChanged();
    void codeSentChanged();
    void codeEmailChanged();
    void messageChanged();

private:
    QCoro::Task<> restoreSession();
    QCoro::Task<> refreshSession();
    QCoro::Task<> runRefresh(QUuid generation, AuthSession session,
                             std::shared_ptr<SharedFlight> flight);
    void applyRefresh(const QUuid &generation, const SharedFlight &flight,
                      const Result<TokenPair> &answer);
    void scheduleRefresh();
    QCoro::Task<> runTimer(std::chrono::milliseconds delay, CancellationToken cancel);
    // Fails only with the storage's failure to remove the credentials.
    Result<void> expireSession();
    void expireSessionShowingFailure();
    QCoro::Task<> revokeAfterSignOut(QString refreshToken, QUuid generation);
    void finishBusy(const QUuid &generation);
    void cancelTimer();
    AuthSession sessionFrom(const TokenPair &tokens) const;

    void setPhase(Phase phase);
    void setSession(std::optional<AuthSession> session);
    void setIsBusy(bool isBusy);
    void setCodeSent(bool codeSent);
    void setCodeEmail(const QString &codeEmail);
    void setMessage(const std::optional<QString> &message);

    Phase m_phase = Phase::Restoring;
    std::optional<AuthSession> m_session;
    bool m_isBusy = false;
    bool m_codeSent = false;
    QString m_codeEmail;
    std::optional<QString> m_message;
    std::shared_ptr<APIClientProtocol> m_client;
    std::shared_ptr<CredentialStorageProtocol> m_storage;
    std::shared_ptr<Clock> m_clock;
    bool m_started = false;
    bool m_isHandlingWindowActivation = false;
    QUuid m_generation = QUuid::createUuid();
    std::shared_ptr<SharedFlight> m_refreshTask;
    std::optional<CancellationToken> m_timerTask;
    bool m_needsCredentialClear = false;
    bool m_needsCredentialSave = false;
    std::vector<std::function<void()>> m_accountChangeObservers;
};

} // namespace Tolvan
