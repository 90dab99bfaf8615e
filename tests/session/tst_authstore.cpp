#include "authstore.h"
#include "fakeapiclient.h"
#include "fakecredentialstorage.h"
#include "manualclock.h"
#include "settle.h"
#include "taskprobe.h"

#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Phase = AuthStore::Phase;
using Call = FakeAPIClient::Call;

namespace {

const QString expiredText = QStringLiteral("Your session expired. Please sign in again.");
const QString revocationText =
    QStringLiteral("Signed out on this device, but server revocation failed. The server session "
                   "may remain active until it expires.");

const QDateTime start = ManualClock::defaultStart();

TokenPair tokens(const QString &name, qint64 userId = 7, qint64 expiresIn = 900)
{
    return TokenPair{
        .accessToken = QStringLiteral("access-") + name,
        .refreshToken = QStringLiteral("refresh-") + name,
        .tokenType = QStringLiteral("Bearer"),
        .expiresIn = expiresIn,
        .refreshExpiresIn = 86400,
        .user = {.id = userId, .email = QStringLiteral("user%1@example.org").arg(userId)},
    };
}

// A session saved by an earlier run, its expiries counted from the test's start.
AuthSession savedSession(qint64 accessSecondsLeft, qint64 refreshSecondsLeft = 86400)
{
    return AuthSession{
        .tokens = tokens(QStringLiteral("saved")),
        .accessExpiresAt = start.addSecs(accessSecondsLeft),
        .refreshExpiresAt = start.addSecs(refreshSecondsLeft),
    };
}

QList<Call> onlyCall(Op operation, const QStringList &arguments)
{
    return {Call{operation, arguments}};
}

ServiceError lockedError()
{
    return ServiceError::keychain(-25308, QStringLiteral("The keyring is locked."));
}

// A store over the fakes, with its notifications recorded.
struct Harness {
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    std::shared_ptr<FakeCredentialStorage> storage = std::make_shared<FakeCredentialStorage>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    AuthStore store{client, storage, clock};
    int accountChanges = 0;
    QList<Phase> phases;

    Harness()
    {
        store.addAccountChangeObserver([this] { ++accountChanges; });
        QObject::connect(&store, &AuthStore::phaseChanged,
                         [this] { phases.append(store.phase()); });
    }

    ~Harness()
    {
        client->cancelPending();
        clock->cancelPendingSleeps();
        settle();
    }

    void activate()
    {
        store.handleWindowActivation();
        settle();
    }

    // Signed in with `saved` restored from the storage.
    void restore(const AuthSession &saved)
    {
        storage->setStoredSession(saved);
        activate();
    }

    // Signed out, at the code step for user7@example.org.
    void reachCodeStep()
    {
        activate();
        client->answer<Op::RequestOTP>({});
        store.requestCode(QStringLiteral("user7@example.org"));
        settle();
    }
};

} // namespace

class AuthStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingSavedIsSignedOut()
    {
        Harness h;
        h.activate();

        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QCOMPARE(h.phases, QList{Phase::SignedOut});
        QCOMPARE(h.accountChanges, 0);
        QVERIFY(h.client->calls().isEmpty());
    }

    void expiredRefreshTokenAtRestoreSignsOut()
    {
        Harness h;
        h.restore(savedSession(-3600, -1));

        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QCOMPARE(h.phases, (QList{Phase::Recovery, Phase::SignedOut}));
        QCOMPARE(h.store.message(), std::optional<QString>(expiredText));
        QCOMPARE(h.accountChanges, 2);
        QVERIFY(!h.store.session());
        QVERIFY(!h.storage->hasItem());
        QVERIFY(h.client->calls().isEmpty());
    }

    void accessExpiringSoonIsRefreshedDuringRestore()
    {
        Harness h;
        h.storage->setStoredSession(savedSession(30));
        TaskProbe activation(h.store.handleWindowActivation());
        settle();

        QVERIFY(!activation.isFinished());
        QCOMPARE(h.store.phase(), Phase::Restoring);
        QCOMPARE(h.client->calls(), onlyCall(Op::Refresh, {QStringLiteral("refresh-saved")}));

        h.client->answer<Op::Refresh>(tokens(QStringLiteral("new")));
        settle();

        QVERIFY(activation.isFinished());
        QCOMPARE(h.phases, QList{Phase::Authenticated});
        const AuthSession expected{.tokens = tokens(QStringLiteral("new")),
                                   .accessExpiresAt = start.addSecs(900),
                                   .refreshExpiresAt = start.addSecs(86400)};
        QCOMPARE(h.store.session(), std::optional(expected));
        QCOMPARE(h.storage->storedSession(), std::optional(expected));
        QCOMPARE(h.accountChanges, 1);
        QCOMPARE(h.clock->requestedSleeps(), QList<std::chrono::milliseconds>{840s});
    }

    void timerFiresAMinuteBeforeExpiry()
    {
        Harness h;
        h.restore(savedSession(600));
        QCOMPARE(h.store.phase(), Phase::Authenticated);
        QCOMPARE(h.clock->requestedSleeps(), QList<std::chrono::milliseconds>{540s});

        h.clock->advance(539s);
        settle();
        QVERIFY(h.client->calls().isEmpty());
        h.clock->advance(1s);
        settle();
        QCOMPARE(h.client->calls(), onlyCall(Op::Refresh, {QStringLiteral("refresh-saved")}));

        // A session that runs out within the margin is refreshed again a second later.
        h.client->answer<Op::Refresh>(tokens(QStringLiteral("short"), 7, 50));
        settle();
        QCOMPARE(h.clock->requestedSleeps(), (QList<std::chrono::milliseconds>{540s, 1s}));
    }

    void refreshIfNeededRefreshesWithinTheMarginOnly()
    {
        Harness h;
        h.restore(savedSession(600));

        h.clock->setNow(start.addSecs(300));
        h.store.refreshIfNeeded();
        settle();
        QVERIFY(h.client->calls().isEmpty());
        QCOMPARE(h.clock->requestedSleeps(), (QList<std::chrono::milliseconds>{540s, 240s}));
        QCOMPARE(h.clock->pendingSleepCount(), 1);

        h.clock->setNow(start.addSecs(550));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);
    }

    void concurrentCallersShareOneRefresh()
    {
        Harness h;
        h.restore(savedSession(600));
        h.clock->setNow(start.addSecs(570));
        h.client->hold(Op::Refresh);
        h.client->answer<Op::Refresh>(tokens(QStringLiteral("new")));

        TaskProbe first(h.store.refreshIfNeeded());
        TaskProbe second(h.store.refreshIfNeeded());
        TaskProbe third(h.store.refreshIfNeeded());
        settle();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);
        QVERIFY(!first.isFinished() && !second.isFinished() && !third.isFinished());

        h.client->release(Op::Refresh);
        settle();
        QVERIFY(first.isFinished() && second.isFinished() && third.isFinished());
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);
        QCOMPARE(h.store.session()->tokens.accessToken, QStringLiteral("access-new"));
    }

    void addressValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::newRow("spaces around") << " \tuser@example.org \n"
                                       << "user@example.org";
        QTest::newRow("at sign first") << "@example.org"
                                       << "@example.org";
        QTest::newRow("at sign last") << "user@"
                                      << "user@";
        QTest::newRow("space inside") << "us er@example.org" << QString();
        QTest::newRow("tab inside") << "user@\texample.org" << QString();
        QTest::newRow("no at sign") << "user.example.org" << QString();
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("blank") << "   " << QString();
    }
    void addressValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        Harness h;
        h.activate();

        TaskProbe request(h.store.requestCode(typed));
        settle();

        if (sent.isEmpty()) {
            QVERIFY(request.isFinished());
            QCOMPARE(h.store.message(),
                     std::optional<QString>(QStringLiteral("Enter a valid email address.")));
            QVERIFY(h.client->calls().isEmpty());
            QVERIFY(!h.store.isBusy());
            return;
        }
        QCOMPARE(h.client->calls(), onlyCall(Op::RequestOTP, {sent}));
        QVERIFY(h.store.isBusy());
        h.client->answer<Op::RequestOTP>({});
        settle();
        QVERIFY(request.isFinished());
        QVERIFY(!h.store.isBusy());
        QVERIFY(h.store.codeSent());
        QCOMPARE(h.store.codeEmail(), sent);
        QVERIFY(!h.store.hasMessage());
    }

    void codeValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::newRow("blank") << " \t\n" << QString();
        QTest::newRow("space inside") << " 123 456 "
                                      << "123 456";
    }
    void codeValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        Harness h;
        h.reachCodeStep();

        h.store.verifyCode(typed);
        settle();

        if (sent.isEmpty()) {
            QCOMPARE(h.store.message(),
                     std::optional<QString>(QStringLiteral("Enter the code from your email.")));
            QVERIFY(h.client->calls(Op::VerifyOTP).isEmpty());
            QVERIFY(!h.store.isBusy());
        } else {
            QCOMPARE(h.client->calls(Op::VerifyOTP),
                     onlyCall(Op::VerifyOTP, {QStringLiteral("user7@example.org"), sent}));
            QVERIFY(h.store.isBusy());
        }
    }

    void verifiedCodeSignsIn()
    {
        Harness h;
        h.reachCodeStep();

        h.client->answer<Op::VerifyOTP>(tokens(QStringLiteral("new")));
        h.store.verifyCode(QStringLiteral("123456"));
        settle();

        QCOMPARE(h.store.phase(), Phase::Authenticated);
        QCOMPARE(h.store.email(), QStringLiteral("user7@example.org"));
        QCOMPARE(h.storage->storedSession(), h.store.session());
        QVERIFY(!h.store.codeSent());
        QCOMPARE(h.store.codeEmail(), QStringLiteral("user7@example.org"));
        QVERIFY(!h.store.isBusy());
        QCOMPARE(h.accountChanges, 1);
        QCOMPARE(h.clock->requestedSleeps(), QList<std::chrono::milliseconds>{840s});
    }

    void sessionThatCannotBeSavedIsRevoked()
    {
        Harness h;
        h.reachCodeStep();
        h.storage->setSaveFailure(lockedError());

        h.client->answer<Op::VerifyOTP>(tokens(QStringLiteral("new")));
        h.store.verifyCode(QStringLiteral("123456"));
        settle();
        QCOMPARE(h.client->calls(Op::Revoke),
                 onlyCall(Op::Revoke, {QStringLiteral("refresh-new")}));
        QVERIFY(h.store.isBusy());
        QVERIFY(!h.store.hasMessage());

        h.client->answer<Op::Revoke>(ServiceError::response(ErrorFamily::Auth, 500, "Down"));
        settle();
        QCOMPARE(h.store.message(), std::optional<QString>(lockedError().text()));
        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QVERIFY(!h.store.session());
        QVERIFY(!h.store.isBusy());
        QCOMPARE(h.accountChanges, 0);
    }

    void busyOrOutOfStepCallsChangeNothing()
    {
        Harness h;
        h.activate();
        h.store.verifyCode(QStringLiteral("123456"));
        QVERIFY(h.client->calls().isEmpty());
        QVERIFY(!h.store.hasMessage());

        h.reachCodeStep();
        h.store.verifyCode(QStringLiteral("123456"));
        settle();
        QVERIFY(h.store.isBusy());
        h.store.requestCode(QStringLiteral("other@example.org"));
        h.store.changeEmail();
        h.store.signOut();
        settle();

        QCOMPARE(h.client->calls().size(), 2);
        QVERIFY(h.store.codeSent());
        QCOMPARE(h.store.codeEmail(), QStringLiteral("user7@example.org"));
        QVERIFY(h.storage->operations().count(QStringLiteral("delete")) == 0);
        h.client->answer<Op::VerifyOTP>(tokens(QStringLiteral("new")));
        settle();
        QCOMPARE(h.store.phase(), Phase::Authenticated);
    }

    void changeEmailLeavesTheCodeStep()
    {
        Harness h;
        h.reachCodeStep();
        h.store.verifyCode(QStringLiteral(" "));

        h.store.changeEmail();

        QVERIFY(!h.store.codeSent());
        QVERIFY(!h.store.hasMessage());
        QCOMPARE(h.store.codeEmail(), QStringLiteral("user7@example.org"));
    }

    void rejectedRefreshWhileRemovalFailsThenRetry()
    {
        Harness h;
        h.restore(savedSession(600));
        h.storage->setDeleteFailure(lockedError());
        h.clock->setNow(start.addSecs(570));

        h.client->answer<Op::Refresh>(ServiceError::response(ErrorFamily::Auth, 401, "Revoked"));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(), std::optional<QString>(lockedError().text()));
        QVERIFY(!h.store.session());
        QVERIFY(h.storage->hasItem());
        QCOMPARE(h.accountChanges, 2);

        h.storage->setDeleteFailure(std::nullopt);
        h.storage->clearOperations();
        h.store.retry();
        settle();
        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QVERIFY(!h.store.hasMessage());
        QCOMPARE(h.storage->operations(), (QStringList{"delete", "load"}));
        QVERIFY(!h.storage->hasItem());

        // A later sign-in refreshes as usual.
        h.client->answer<Op::RequestOTP>({});
        h.client->answer<Op::VerifyOTP>(tokens(QStringLiteral("again")));
        h.store.requestCode(QStringLiteral("user7@example.org"));
        settle();
        h.store.verifyCode(QStringLiteral("123456"));
        settle();
        h.clock->setNow(start.addSecs(570 + 850));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 2);
    }

    void failedRefreshKeepsTheSessionForRetry()
    {
        Harness h;
        h.restore(savedSession(600));
        h.clock->setNow(start.addSecs(570));
        const auto failure =
            ServiceError::transport(QNetworkReply::HostNotFoundError, "Host not found");

        h.client->answer<Op::Refresh>(failure);
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(), std::optional<QString>(failure.text()));
        QCOMPARE(h.store.session(), std::optional(savedSession(600)));
        QCOMPARE(h.clock->pendingSleepCount(), 0);

        h.client->answer<Op::Refresh>(tokens(QStringLiteral("new")));
        h.activate();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 2);
        QCOMPARE(h.store.phase(), Phase::Authenticated);
        QVERIFY(!h.store.hasMessage());
    }

    void refreshedSessionThatCannotBeSavedIsSavedByRetry()
    {
        Harness h;
        h.restore(savedSession(600));
        h.clock->setNow(start.addSecs(570));
        h.storage->setSaveFailure(lockedError());

        h.client->answer<Op::Refresh>(tokens(QStringLiteral("new")));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(), std::optional<QString>(lockedError().text()));
        QCOMPARE(h.store.session()->tokens.accessToken, QStringLiteral("access-new"));

        h.storage->setSaveFailure(std::nullopt);
        h.store.retry();
        settle();
        QCOMPARE(h.store.phase(), Phase::Authenticated);
        QVERIFY(!h.store.hasMessage());
        QCOMPARE(h.storage->storedSession(), h.store.session());
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);
    }

    void refreshForAnotherUserChangesTheAccountOnce()
    {
        Harness h;
        h.restore(savedSession(600));
        QCOMPARE(h.accountChanges, 1);
        h.clock->setNow(start.addSecs(570));

        h.client->answer<Op::Refresh>(tokens(QStringLiteral("other"), 8));
        h.store.refreshIfNeeded();
        settle();

        QCOMPARE(h.accountChanges, 2);
        QCOMPARE(h.store.email(), QStringLiteral("user8@example.org"));
    }

    void observersRunInRegistrationOrder()
    {
        Harness h;
        QStringList order;
        h.store.addAccountChangeObserver([&order] { order.append(QStringLiteral("billing")); });
        h.store.addAccountChangeObserver([&order] { order.append(QStringLiteral("history")); });

        h.restore(savedSession(600));
        h.store.signOut();

        QCOMPARE(order, (QStringList{"billing", "history", "billing", "history"}));
    }

    void revocationFailureShowsOnlyWithoutANewSignIn_data()
    {
        QTest::addColumn<int>("stepsTaken");
        QTest::addColumn<bool>("shown");
        QTest::newRow("nothing begun") << 0 << true;
        QTest::newRow("code requested") << 1 << false;
        QTest::newRow("code sent") << 2 << false;
    }
    void revocationFailureShowsOnlyWithoutANewSignIn()
    {
        QFETCH(int, stepsTaken);
        QFETCH(bool, shown);
        Harness h;
        h.restore(savedSession(600));

        h.store.signOut();
        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QVERIFY(!h.storage->hasItem());
        if (stepsTaken >= 1) {
            h.store.requestCode(QStringLiteral("user7@example.org"));
        }
        if (stepsTaken >= 2) {
            h.client->answer<Op::RequestOTP>({});
        }
        settle();
        QCOMPARE(h.client->calls(Op::Revoke),
                 onlyCall(Op::Revoke, {QStringLiteral("refresh-saved")}));

        h.client->answer<Op::Revoke>(ServiceError::response(ErrorFamily::Auth, 500, "Down"));
        settle();
        QCOMPARE(h.store.message(), shown ? std::optional(revocationText) : std::nullopt);
    }

    void signOutThatCannotRemoveTheCredentials()
    {
        Harness h;
        h.restore(savedSession(600));
        h.storage->setDeleteFailure(lockedError());

        h.store.signOut();
        h.client->answer<Op::Revoke>(ServiceError::response(ErrorFamily::Auth, 500, "Down"));
        settle();

        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(),
                 std::optional<QString>(
                     QStringLiteral("Sign-out could not remove your saved credentials. ") +
                     lockedError().text()));
        QVERIFY(!h.store.session());
    }

    void signOutStopsTheRefreshAndTheTimer()
    {
        Harness h;
        h.restore(savedSession(600));
        h.clock->setNow(start.addSecs(570));
        TaskProbe refresh(h.store.refreshIfNeeded());
        settle();
        QCOMPARE(h.clock->pendingSleepCount(), 1);

        h.store.signOut();
        settle();

        QVERIFY(h.client->wasCancelled(0));
        QVERIFY(refresh.isFinished());
        QCOMPARE(h.clock->pendingSleepCount(), 0);
        h.clock->advance(3600s);
        settle();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);
        QCOMPARE(h.store.phase(), Phase::SignedOut);
    }

    void lateRefreshAnswerIsDropped()
    {
        Harness h;
        h.restore(savedSession(600));
        h.clock->setNow(start.addSecs(570));
        h.store.refreshIfNeeded();
        settle();

        // The answer is on its way back when the user signs out.
        h.client->answer<Op::Refresh>(tokens(QStringLiteral("late"), 8));
        QCoreApplication::sendPostedEvents(h.client.get());
        h.store.signOut();
        h.storage->clearOperations();
        settle();

        QVERIFY(!h.store.session());
        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QVERIFY(h.storage->operations().isEmpty());
        QCOMPARE(h.accountChanges, 2);
    }

    void undecodableItemNeedsSignOut()
    {
        Harness h;
        const ServiceError decoding = AuthSession::decode("{\"tokens\":").error();
        h.storage->putUndecodableItem(decoding);

        h.activate();
        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(), std::optional<QString>(decoding.text()));

        h.store.retry();
        settle();
        QCOMPARE(h.store.phase(), Phase::Recovery);
        QCOMPARE(h.store.message(), std::optional<QString>(decoding.text()));
        QCOMPARE(h.storage->loadCount(), 2);

        h.store.signOut();
        settle();
        QCOMPARE(h.store.phase(), Phase::SignedOut);
        QVERIFY(!h.store.hasMessage());
        QVERIFY(!h.storage->hasItem());
        QVERIFY(h.client->calls().isEmpty());
    }

    void windowActivationFollowsThePhase()
    {
        Harness h;
        h.storage->setStoredSession(savedSession(30));
        h.store.handleWindowActivation();
        settle();
        // While the first activation waits for the refresh, another does nothing.
        h.activate();
        QCOMPARE(h.storage->loadCount(), 1);
        QCOMPARE(h.client->calls(Op::Refresh).size(), 1);

        h.client->answer<Op::Refresh>(tokens(QStringLiteral("new")));
        settle();
        h.clock->setNow(start.addSecs(60));
        h.activate();
        QCOMPARE(h.clock->requestedSleeps(), (QList<std::chrono::milliseconds>{840s, 780s}));
        QCOMPARE(h.storage->loadCount(), 1);
    }

    void notificationsOnlyOnChange()
    {
        Harness h;
        h.activate();
        int messageChanges = 0;
        int sessionChanges = 0;
        connect(&h.store, &AuthStore::messageChanged, [&messageChanges] { ++messageChanges; });
        connect(&h.store, &AuthStore::sessionChanged, [&sessionChanges] { ++sessionChanges; });

        h.store.requestCode(QStringLiteral("nobody"));
        h.store.requestCode(QStringLiteral("still nobody"));
        h.store.signOut();
        h.store.signOut();

        QCOMPARE(messageChanges, 2);
        QCOMPARE(sessionChanges, 2);
        QCOMPARE(h.phases, QList{Phase::SignedOut});
    }
};

QTEST_GUILESS_MAIN(AuthStoreTest)

#include "tst_authstore.moc"
