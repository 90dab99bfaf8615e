#include "authstore.h"

#include "apiclient.h"
#include "credentialstoragefactory.h"
#include "systemclock.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace Tolvan {

namespace {

const QString sessionExpiredText = QStringLiteral("Your session expired. Please sign in again.");

bool isValidEmail(const QString &email)
{
    return !email.isEmpty() && email.contains(QLatin1Char('@')) &&
           std::none_of(email.cbegin(), email.cend(), [](QChar c) { return c.isSpace(); });
}

bool isRejection(const ServiceError &error)
{
    return error.kind() == ServiceError::Kind::Response && error.family() == ErrorFamily::Auth &&
           error.status() == AuthStore::rejectionStatus;
}

std::optional<qint64> userId(const std::optional<AuthSession> &session)
{
    if (!session) {
        return std::nullopt;
    }
    return session->tokens.user.id;
}

} // namespace

AuthStore::AuthStore(std::shared_ptr<APIClientProtocol> client,
                     std::shared_ptr<CredentialStorageProtocol> storage,
                     std::shared_ptr<Clock> clock, QObject *parent)
    : QObject(parent)
    , m_client(client ? std::move(client) : std::make_shared<APIClient>())
    , m_storage(storage ? std::move(storage) : CredentialStorageFactory::fromEnvironment())
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
{
}

AuthStore::~AuthStore()
{
    // Stops the transfer and the sleep; their coroutines then find the store gone.
    cancelTimer();
    if (m_refreshTask) {
        m_refreshTask->cancel();
    }
}

QString AuthStore::email() const
{
    return m_session ? m_session->tokens.user.email : QString();
}

QCoro::Task<> AuthStore::handleWindowActivation()
{
    if (m_isHandlingWindowActivation) {
        co_return;
    }
    m_isHandlingWindowActivation = true;
    QPointer<AuthStore> self(this);
    if (!m_started) {
        m_started = true;
        co_await restoreSession();
    } else {
        switch (m_phase) {
        case Phase::Restoring:
        case Phase::SignedOut:
            break;
        case Phase::Authenticated:
            co_await refreshIfNeeded();
            break;
        case Phase::Recovery:
            co_await retry();
            break;
        }
    }
    if (!self) {
        co_return;
    }
    m_isHandlingWindowActivation = false;
}

QCoro::Task<> AuthStore::restoreSession()
{
    if (m_isBusy) {
        co_return;
    }
    setPhase(Phase::Restoring);
    setMessage(std::nullopt);
    const auto failRestore = [this](const ServiceError &error) {
        setPhase(Phase::Recovery);
        setMessage(error.text());
    };
    // Credentials that an earlier removal left behind go before anything is read.
    if (m_needsCredentialClear) {
        const auto removed = m_storage->deleteSession();
        if (!removed) {
            failRestore(removed.error());
            co_return;
        }
        m_needsCredentialClear = false;
    }
    auto loaded = m_storage->loadSession();
    if (!loaded) {
        failRestore(loaded.error());
        co_return;
    }
    setSession(std::move(loaded).value());
    if (!m_session) {
        setPhase(Phase::SignedOut);
        co_return;
    }
    const QDateTime now = m_clock->now();
    if (m_session->refreshExpiresAt <= now) {
        expireSessionShowingFailure();
        co_return;
    }
    if (m_session->accessExpiresAt <= now.addSecs(refreshMargin.count())) {
        // The phase stays Restoring until the refresh settles it.
        co_await refreshSession();
        co_return;
    }
    setPhase(Phase::Authenticated);
    scheduleRefresh();
}

QCoro::Task<> AuthStore::refreshIfNeeded()
{
    if (m_phase != Phase::Authenticated || !m_session) {
        co_return;
    }
    if (m_session->accessExpiresAt <= m_clock->now().addSecs(refreshMargin.count())) {
        co_await refreshSession();
    } else {
        scheduleRefresh();
    }
}

void AuthStore::scheduleRefresh()
{
    cancelTimer();
    if (!m_session) {
        return;
    }
    const double secondsLeft = double(m_clock->now().msecsTo(m_session->accessExpiresAt)) / 1000.0;
    const double delay =
        std::max(double(shortestTimerDelay.count()), secondsLeft - double(refreshMargin.count()));
    const CancellationToken cancel;
    m_timerTask = cancel;
    runTimer(std::chrono::milliseconds(std::llround(delay * 1000.0)), cancel);
}

QCoro::Task<> AuthStore::runTimer(std::chrono::milliseconds delay, CancellationToken cancel)
{
    QPointer<AuthStore> self(this);
    const auto clock = m_clock;
    const bool slept = co_await clock->sleep(delay, cancel);
    if (!self || !slept || cancel.isCancelled()) {
        co_return;
    }
    co_await refreshSession();
}

QCoro::Task<> AuthStore::refreshSession()
{
    auto flight = m_refreshTask;
    if (!flight) {
        if (!m_session) {
            co_return;
        }
        if (m_session->refreshExpiresAt <= m_clock->now()) {
            expireSessionShowingFailure();
            co_return;
        }
        flight = std::make_shared<SharedFlight>();
        m_refreshTask = flight;
        runRefresh(m_generation, *m_session, flight);
    }
    // Every caller, the first included, waits for the same refresh.
    co_await flight->wait();
}

QCoro::Task<> AuthStore::runRefresh(QUuid generation, AuthSession session,
                                    std::shared_ptr<SharedFlight> flight)
{
    QPointer<AuthStore> self(this);
    const auto client = m_client;
    const CancellationToken cancel = flight->cancellation();
    const auto answer = co_await client->refresh(session.tokens.refreshToken, cancel);
    if (self) {
        applyRefresh(generation, *flight, answer);
        // Only this refresh's own handle goes; a newer refresh keeps its own.
        if (m_refreshTask == flight) {
            m_refreshTask.reset();
        }
    }
    flight->finish();
}

void AuthStore::applyRefresh(const QUuid &generation, const SharedFlight &flight,
                             const Result<TokenPair> &answer)
{
    const auto isStale = [&] {
        return m_generation != generation || flight.cancellation().isCancelled();
    };
    if (isStale()) {
        return;
    }
    std::optional<ServiceError> failure;
    if (answer) {
        const AuthSession renewed = sessionFrom(answer.value());
        setSession(renewed);
        m_needsCredentialSave = true;
        const auto saved = m_storage->saveSession(renewed);
        if (saved) {
            m_needsCredentialSave = false;
            setPhase(Phase::Authenticated);
            setMessage(std::nullopt);
            scheduleRefresh();
            return;
        }
        // The new session stays in memory until retry() writes it.
        failure = saved.error();
    } else {
        failure = answer.error();
    }
    if (isStale()) {
        return;
    }
    if (isRejection(*failure)) {
        expireSessionShowingFailure();
        return;
    }
    setPhase(Phase::Recovery);
    cancelTimer();
    setMessage(failure->text());
}

Result<void> AuthStore::expireSession()
{
    m_generation = QUuid::createUuid();
    cancelTimer();
    setSession(std::nullopt);
    m_needsCredentialSave = false;
    setCodeSent(false);
    m_needsCredentialClear = true;
    setPhase(Phase::Recovery);
    const auto removed = m_storage->deleteSession();
    if (!removed) {
        return removed;
    }
    m_needsCredentialClear = false;
    setPhase(Phase::SignedOut);
    setMessage(sessionExpiredText);
    return {};
}

void AuthStore::expireSessionShowingFailure()
{
    const auto expired = expireSession();
    if (!expired) {
        setMessage(expired.error().text());
    }
}

QCoro::Task<> AuthStore::retry()
{
    if (m_needsCredentialSave && m_session) {
        const auto saved = m_storage->saveSession(*m_session);
        if (!saved) {
            setMessage(saved.error().text());
            co_return;
        }
        m_needsCredentialSave = false;
        setPhase(Phase::Authenticated);
        setMessage(std::nullopt);
        co_await refreshIfNeeded();
        co_return;
    }
    if (!m_needsCredentialClear && m_session) {
        co_await refreshSession();
        co_return;
    }
    co_await restoreSession();
}

QCoro::Task<> AuthStore::requestCode(QString email)
{
    if (m_isBusy || m_phase != Phase::SignedOut) {
        co_return;
    }
    const QString address = email.trimmed();
    if (!isValidEmail(address)) {
        setMessage(QStringLiteral("Enter a valid email address."));
        co_return;
    }
    setIsBusy(true);
    setMessage(std::nullopt);
    const QUuid generation = m_generation;
    QPointer<AuthStore> self(this);
    const auto client = m_client;
    const auto answer = co_await client->requestOTP(address);
    if (!self) {
        co_return;
    }
    if (m_generation == generation) {
        if (answer) {
            setCodeEmail(address);
            setCodeSent(true);
        } else {
            setMessage(answer.error().text());
        }
    }
    finishBusy(generation);
}

void AuthStore::changeEmail()
{
    if (m_isBusy) {
        return;
    }
    m_generation = QUuid::createUuid();
    setCodeSent(false);
    setMessage(std::nullopt);
}

QCoro::Task<> AuthStore::verifyCode(QString code)
{
    if (m_isBusy || !m_codeSent || m_phase != Phase::SignedOut) {
        co_return;
    }
    const QString trimmedCode = code.trimmed();
    if (trimmedCode.isEmpty()) {
        setMessage(QStringLiteral("Enter the code from your email."));
        co_return;
    }
    setIsBusy(true);
    setMessage(std::nullopt);
    const QUuid generation = m_generation;
    QPointer<AuthStore> self(this);
    const auto client = m_client;
    const auto answer = co_await client->verifyOTP(m_codeEmail, trimmedCode);
    if (!self) {
        co_return;
    }
    if (!answer) {
        if (m_generation == generation) {
            setMessage(answer.error().text());
        }
        finishBusy(generation);
        co_return;
    }
    if (m_generation != generation) {
        finishBusy(generation);
        co_return;
    }
    const AuthSession session = sessionFrom(answer.value());
    const auto saved = m_storage->saveSession(session);
    if (!saved) {
        // A session that cannot be kept must not stay alive on the server.
        co_await client->revoke(answer.value().refreshToken);
        if (!self) {
            co_return;
        }
        if (m_generation == generation) {
            setMessage(saved.error().text());
        }
        finishBusy(generation);
        co_return;
    }
    setSession(session);
    setPhase(Phase::Authenticated);
    setCodeSent(false);
    scheduleRefresh();
    finishBusy(generation);
}

QCoro::Task<> AuthStore::signOut()
{
    if (m_isBusy) {
        co_return;
    }
    std::optional<QString> refreshToken;
    if (m_session) {
        refreshToken = m_session->tokens.refreshToken;
    }
    m_generation = QUuid::createUuid();
    cancelTimer();
    if (m_refreshTask) {
        m_refreshTask->cancel();
        m_refreshTask.reset();
    }
    setSession(std::nullopt);
    m_needsCredentialSave = false;
    setCodeSent(false);
    setCodeEmail(QString());
    setMessage(std::nullopt);
    setPhase(Phase::SignedOut);
    const QUuid generation = m_generation;
    const auto removed = m_storage->deleteSession();
    if (removed) {
        m_needsCredentialClear = false;
    } else {
        m_needsCredentialClear = true;
        setPhase(Phase::Recovery);
        setMessage(QStringLiteral("Sign-out could not remove your saved credentials. ") +
                   removed.error().text());
    }
    if (refreshToken) {
        revokeAfterSignOut(*refreshToken, generation);
    }
}

QCoro::Task<> AuthStore::revokeAfterSignOut(QString refreshToken, QUuid generation)
{
    QPointer<AuthStore> self(this);
    const auto client = m_client;
    const auto answer = co_await client->revoke(refreshToken);
    if (!self || answer) {
        co_return;
    }
    // Only while nobody has begun anything since the sign-out.
    if (m_generation == generation && m_phase == Phase::SignedOut && !m_needsCredentialClear &&
        !m_isBusy && !m_codeSent) {
        setMessage(QStringLiteral("Signed out on this device, but server revocation failed. The "
                                  "server session may remain active until it expires."));
    }
}

void AuthStore::addAccountChangeObserver(std::function<void()> observer)
{
    m_accountChangeObservers.push_back(std::move(observer));
}

void AuthStore::startWindowActivation()
{
    handleWindowActivation();
}

void AuthStore::startRetry()
{
    retry();
}

void AuthStore::startRequestCode(const QString &email)
{
    requestCode(email);
}

void AuthStore::startVerifyCode(const QString &code)
{
    verifyCode(code);
}

void AuthStore::startSignOut()
{
    signOut();
}

void AuthStore::finishBusy(const QUuid &generation)
{
    if (m_generation == generation) {
        setIsBusy(false);
    }
}

void AuthStore::cancelTimer()
{
    if (m_timerTask) {
        m_timerTask->cancel();
    }
}

AuthSession AuthStore::sessionFrom(const TokenPair &tokens) const
{
    const QDateTime now = m_clock->now();
    return AuthSession{
        .tokens = tokens,
        .accessExpiresAt = now.addSecs(tokens.expiresIn),
        .refreshExpiresAt = now.addSecs(tokens.refreshExpiresIn),
    };
}

void AuthStore::setPhase(Phase phase)
{
    if (m_phase == phase) {
        return;
    }
    m_phase = phase;
    Q_EMIT phaseChanged();
}

void AuthStore::setSession(std::optional<AuthSession> session)
{
    const auto previousUser = userId(m_session);
    m_session = std::move(session);
    Q_EMIT sessionChanged();
    if (userId(m_session) == previousUser) {
        return;
    }
    // A copy, so that an observer that registers another does not disturb the loop.
    const auto observers = m_accountChangeObservers;
    for (const auto &observer : observers) {
        observer();
    }
}

void AuthStore::setIsBusy(bool isBusy)
{
    if (m_isBusy == isBusy) {
        return;
    }
    m_isBusy = isBusy;
    Q_EMIT isBusyChanged();
}

void AuthStore::setCodeSent(bool codeSent)
{
    if (m_codeSent == codeSent) {
        return;
    }
    m_codeSent = codeSent;
    Q_EMIT codeSentChanged();
}

void AuthStore::setCodeEmail(const QString &codeEmail)
{
    if (m_codeEmail == codeEmail) {
        return;
    }
    m_codeEmail = codeEmail;
    Q_EMIT codeEmailChanged();
}

void AuthStore::setMessage(const std::optional<QString> &message)
{
    if (m_message == message) {
        return;
    }
    m_message = message;
    Q_EMIT messageChanged();
}

} // namespace Tolvan
