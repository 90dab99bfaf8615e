#include "authstore.h"
#include "fakeapiclient.h"
#include "fakecredentialstorage.h"
#include "manualclock.h"
#include "settle.h"
#include "taskprobe.h"

#include <QMetaEnum>
#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Phase = AuthStore::Phase;
using Sleeps = QList<std::chrono::milliseconds>;

namespace {

const QString expiredText = "Your session expired. Please sign in again.";
const QString email = "user7@example.org";
const QDateTime start = ManualClock::defaultStart();

TokenPair tokens(const QString &name, qint64 userId = 7, qint64 expiresIn = 900)
{
    return TokenPair{
        .accessToken = "access-" + name,
        .refreshToken = "refresh-" + name,
        .tokenType = "Bearer",
        .expiresIn = expiresIn,
        .refreshExpiresIn = 86400,
        .user = {.id = userId, .email = QStringLiteral("user%1@example.org").arg(userId)},
    };
}

// A session saved by an earlier run, its expiries counted from the test's start.
AuthSession savedSession(qint64 accessSecondsLeft, qint64 refreshSecondsLeft = 86400)
{
    return AuthSession{
        .tokens = tokens("saved"),
        .accessExpiresAt = start.addSecs(accessSecondsLeft),
        .refreshExpiresAt = start.addSecs(refreshSecondsLeft),
    };
}

QList<FakeAPIClient::Call> onlyCall(Op operation, const QStringList &arguments)
{
    return {{operation, arguments}};
}

const ServiceError locked = ServiceError::keychain(-25308, "The keyring is locked.");

// What the screens show and where the session is: the access token of the
// session in memory and of the one in the storage, empty when there is none.
struct View {
    Phase phase = Phase::SignedOut;
    std::optional<QString> message;
    QString session;
    QString stored;
    int accountChanges = 0;

    bool operator==(const View &) const = default;
};

char *toString(const View &view)
{
    return QTest::toString(
        QStringLiteral("%1, message %2, session %3, stored %4, %5 changes")
            .arg(QString::fromLatin1(QMetaEnum::fromType<Phase>().valueToKey(int(view.phase))),
                 view.message.value_or("none"), view.session, view.stored)
            .arg(view.accountChanges));
}

// Signed in from the session restore() puts in place, or from tokens("new").
const View savedView{Phase::Authenticated, {}, "access-saved", "access-saved", 1};
const View renewedView{Phase::Authenticated, {}, "access-new", "access-new", 1};

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

    View view() const
    {
        const auto stored = storage->storedSession();
        return {store.phase(), store.message(),
                store.session() ? store.session()->tokens.accessToken : QString(),
                stored ? stored->tokens.accessToken : QString(), accountChanges};
    }

    void activate()
    {
        store.handleWindowActivation();
        settle();
    }

    void restore(const AuthSession &saved)
    {
        storage->setStoredSession(saved);
        activate();
    }

    // Signed in with an access token that runs out within the refresh margin.
    void restoreNearExpiry()
    {
        restore(savedSession(600));
        clock->setNow(start.addSecs(570));
    }

    // Two callers at once, who share one refresh.
    void refreshWith(const Result<TokenPair> &answer)
    {
        client->answer<Op::Refresh>(answer);
        store.refreshIfNeeded();
        TaskProbe joined(store.refreshIfNeeded());
        settle();
        QVERIFY(joined.isFinished());
    }

    // Signed out, at the code step for `email`.
    void reachCodeStep()
    {
        activate();
        client->answer<Op::RequestOTP>({});
        store.requestCode(email);
        settle();
    }
};

} // namespace

class AuthStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void expiredRefreshTokenAtRestoreSignsOut()
    {
        Harness h;
        h.restore(savedSession(-3600, -1));
        QCOMPARE(h.view(), (View{Phase::SignedOut, expiredText, "", "", 2}));
        QCOMPARE(h.phases, (QList{Phase::Recovery, Phase::SignedOut}));
        QVERIFY(h.client->calls().isEmpty());
    }

    void accessExpiringSoonIsRefreshedDuringRestore()
    {
        Harness h;
        h.storage->setStoredSession(savedSession(30));
        TaskProbe activation(h.store.handleWindowActivation());
        settle();
        // While the first activation waits for the refresh, another does nothing.
        h.activate();
        QVERIFY(!activation.isFinished());
        QCOMPARE(h.store.phase(), Phase::Restoring);
        QCOMPARE(h.client->calls(), onlyCall(Op::Refresh, {"refresh-saved"}));

        h.client->answer<Op::Refresh>(tokens("new"));
        settle();
        QVERIFY(activation.isFinished());
        QCOMPARE(h.phases, QList{Phase::Authenticated});
        QCOMPARE(h.view(), renewedView);
        // Both expiries count from the answer; the timer shows the access one.
        QCOMPARE(h.storage->storedSession()->refreshExpiresAt, start.addSecs(86400));
        QCOMPARE(h.clock->requestedSleeps(), Sleeps{840s});

        // Later activations only re-arm the timer; nothing is loaded again.
        h.clock->setNow(start.addSecs(60));
        h.activate();
        QCOMPARE(h.clock->requestedSleeps(), (Sleeps{840s, 780s}));
        QCOMPARE(h.storage->loadCount(), 1);
    }

    void refreshComesAMinuteBeforeExpiry()
    {
        Harness h;
        h.restore(savedSession(600));
        QCOMPARE(h.clock->requestedSleeps(), Sleeps{540s});

        // Asked early, the store only re-arms the timer.
        h.clock->setNow(start.addSecs(300));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.clock->requestedSleeps(), (Sleeps{540s, 240s}));
        QCOMPARE(h.clock->pendingSleepCount(), 1);
        QVERIFY(h.client->calls().isEmpty());
        h.clock->advance(240s);
        settle();
        QCOMPARE(h.client->calls(), onlyCall(Op::Refresh, {"refresh-saved"}));

        // A session that runs out within the margin is refreshed again a second
        // later, or at once when asked.
        h.client->answer<Op::Refresh>(tokens("short", 7, 50));
        settle();
        QCOMPARE(h.clock->requestedSleeps(), (Sleeps{540s, 240s, 1s}));
        h.store.refreshIfNeeded();
        settle();
        QCOMPARE(h.client->calls(Op::Refresh).size(), 2);
    }

    void refreshOutcome_data()
    {
        QTest::addColumn<std::optional<ServiceError>>("failure");
        QTest::addColumn<qint64>("userId");
        QTest::addColumn<bool>("storageFails");
        QTest::addColumn<View>("afterRefresh");
        QTest::addColumn<View>("afterRetry");
        QTest::addColumn<int>("refreshes");

        const std::optional<ServiceError> none;
        const auto unreachable = ServiceError::transport(QNetworkReply::HostNotFoundError, "Gone");
        const auto rejected = ServiceError::response(ErrorFamily::Auth, 401, "Revoked");
        QTest::newRow("renewed") << none << qint64(7) << false << renewedView << View() << 1;
        QTest::newRow("renewed for another user")
            << none << qint64(8) << false
            << View{Phase::Authenticated, {}, "access-new", "access-new", 2} << View() << 1;
        // The new session stays in memory until a retry can save it.
        QTest::newRow("renewed but not saved")
            << none << qint64(7) << true
            << View{Phase::Recovery, locked.text(), "access-new", "access-saved", 1} << renewedView
            << 1;
        QTest::newRow("transport failure")
            << std::optional(unreachable) << qint64(7) << false
            << View{Phase::Recovery, unreachable.text(), "access-saved", "access-saved", 1}
            << renewedView << 2;
        QTest::newRow("rejected") << std::optional(rejected) << qint64(7) << false
                                  << View{Phase::SignedOut, expiredText, "", "", 2} << View() << 1;
        // The credentials left behind go before anything else is read.
        QTest::newRow("rejected, removal fails")
            << std::optional(rejected) << qint64(7) << true
            << View{Phase::Recovery, locked.text(), "", "access-saved", 2}
            << View{Phase::SignedOut, {}, "", "", 2} << 1;
    }

    void refreshOutcome()
    {
        QFETCH(std::optional<ServiceError>, failure);
        QFETCH(qint64, userId);
        QFETCH(bool, storageFails);
        QFETCH(View, afterRefresh);
        QFETCH(View, afterRetry);
        QFETCH(int, refreshes);
        Harness h;
        h.restoreNearExpiry();
        if (storageFails) {
            h.storage->setSaveFailure(locked);
            h.storage->setDeleteFailure(locked);
        }

        h.refreshWith(failure ? Result<TokenPair>(*failure) : tokens("new", userId));
        QCOMPARE(h.view(), afterRefresh);
        // Only a signed-in store keeps a refresh timer.
        QCOMPARE(h.clock->pendingSleepCount(), afterRefresh.phase == Phase::Authenticated ? 1 : 0);

        // Window activation retries whatever left the store in recovery.
        if (afterRefresh.phase == Phase::Recovery) {
            h.storage->setSaveFailure(std::nullopt);
            h.storage->setDeleteFailure(std::nullopt);
            h.client->answer<Op::Refresh>(tokens("new"));
            h.activate();
            QCOMPARE(h.view(), afterRetry);
        }
        QCOMPARE(h.client->calls(Op::Refresh).size(), refreshes);
    }

    void addressValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        // Only an at sign and no white space inside are asked for.
        QTest::newRow("spaces around, at sign last") << " \tuser@ \n"
                                                     << "user@";
        QTest::newRow("tab inside") << "user@\texample.org" << QString();
        QTest::newRow("no at sign") << "user.example.org" << QString();
    }

    void addressValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        Harness h;
        h.activate();
        h.client->answer<Op::RequestOTP>({});

        h.store.requestCode(typed);
        settle();
        QCOMPARE(h.client->calls(),
                 sent.isEmpty() ? QList<FakeAPIClient::Call>() : onlyCall(Op::RequestOTP, {sent}));
        QCOMPARE(h.store.message(), sent.isEmpty() ? std::optional<QString>("Enter a valid email "
                                                                            "address.")
                                                   : std::nullopt);
        QCOMPARE(h.store.codeEmail(), sent);
        QVERIFY(!h.store.isBusy());
    }

    void verifyCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<View>("expected");
        QTest::newRow("blank") << " \t\n"
                               << true << View{.message = "Enter the code from your email."};
        QTest::newRow("signed in") << " 123 456 " << true << renewedView;
        // A session that cannot be kept must not stay alive on the server.
        QTest::newRow("not saved: revoked") << "123456" << false << View{.message = locked.text()};
    }

    void verifyCode()
    {
        QFETCH(QString, typed);
        QFETCH(bool, saved);
        QFETCH(View, expected);
        Harness h;
        h.reachCodeStep();
        if (!saved) {
            h.storage->setSaveFailure(locked);
        }

        h.client->answer<Op::VerifyOTP>(tokens("new"));
        h.client->answer<Op::Revoke>(ServiceError::response(ErrorFamily::Auth, 500, "Down"));
        h.store.verifyCode(typed);
        settle();

        QCOMPARE(h.view(), expected);
        const bool signedIn = expected.phase == Phase::Authenticated;
        QCOMPARE(h.store.codeSent(), !signedIn);
        QCOMPARE(h.client->calls(Op::Revoke),
                 saved ? QList<FakeAPIClient::Call>() : onlyCall(Op::Revoke, {"refresh-new"}));

        // Leaving the code step keeps the address for the next request.
        h.store.changeEmail();
        QVERIFY(!h.store.codeSent());
        QVERIFY(!h.store.hasMessage());
        QCOMPARE(h.store.codeEmail(), email);
    }

    void busyOrOutOfStepCallsChangeNothing()
    {
        Harness h;
        h.activate();
        h.store.verifyCode("123456");
        QVERIFY(h.client->calls().isEmpty());
        QVERIFY(!h.store.hasMessage());

        h.reachCodeStep();
        h.store.verifyCode("123456");
        settle();
        QVERIFY(h.store.isBusy());
        h.store.requestCode("other@example.org");
        h.store.changeEmail();
        h.store.signOut();
        settle();

        QCOMPARE(h.client->calls().size(), 2);
        QVERIFY(h.store.codeSent());
        QCOMPARE(h.store.codeEmail(), email);
        QVERIFY(!h.storage->operations().contains(QStringLiteral("delete")));
        h.client->answer<Op::VerifyOTP>(tokens("new"));
        settle();
        QCOMPARE(h.store.phase(), Phase::Authenticated);
    }

    void revocationFailureShowsOnlyWithoutANewSignIn_data()
    {
        QTest::addColumn<bool>("codeRequested");
        QTest::addColumn<bool>("removalFails");
        QTest::addColumn<View>("expected");
        QTest::newRow("nothing begun")
            << false << false
            << View{Phase::SignedOut,
                    "Signed out on this device, but server revocation failed. The server session "
                    "may remain active until it expires.",
                    "", "", 2};
        QTest::newRow("code requested") << true << false << View{Phase::SignedOut, {}, "", "", 2};
        QTest::newRow("credentials not removed")
            << false << true
            << View{Phase::Recovery,
                    "Sign-out could not remove your saved credentials. " + locked.text(), "",
                    "access-saved", 2};
    }

    void revocationFailureShowsOnlyWithoutANewSignIn()
    {
        QFETCH(bool, codeRequested);
        QFETCH(bool, removalFails);
        QFETCH(View, expected);
        Harness h;
        QStringList observed;
        h.store.addAccountChangeObserver([&observed] { observed.append("billing"); });
        h.store.addAccountChangeObserver([&observed] { observed.append("history"); });
        h.restore(savedSession(600));
        if (removalFails) {
            h.storage->setDeleteFailure(locked);
        }

        h.store.signOut();
        if (codeRequested) {
            h.store.requestCode(email);
        }
        settle();
        QCOMPARE(h.client->calls(Op::Revoke), onlyCall(Op::Revoke, {"refresh-saved"}));
        h.client->answer<Op::Revoke>(ServiceError::response(ErrorFamily::Auth, 500, "Down"));
        settle();
        QCOMPARE(h.view(), expected);
        // Observers run in the order they were added.
        QCOMPARE(observed, (QStringList{"billing", "history", "billing", "history"}));
    }

    void lateRefreshAnswerIsDropped_data()
    {
        QTest::addColumn<bool>("signOut");
        QTest::addColumn<View>("expected");
        // Leaving the code step begins a new generation and leaves the refresh running.
        QTest::newRow("address changed") << false << savedView;
        QTest::newRow("signed out") << true << View{Phase::SignedOut, {}, "", "", 2};
    }

    void lateRefreshAnswerIsDropped()
    {
        QFETCH(bool, signOut);
        QFETCH(View, expected);
        Harness h;
        h.restoreNearExpiry();
        TaskProbe refresh(h.store.refreshIfNeeded());
        settle();

        // The answer is on its way back when the user moves on.
        h.client->answer<Op::Refresh>(tokens("late", 8));
        QCoreApplication::sendPostedEvents(h.client.get());
        if (signOut) {
            h.store.signOut();
        } else {
            h.store.changeEmail();
        }
        h.storage->clearOperations();
        settle();

        QCOMPARE(h.client->wasCancelled(0), signOut);
        QVERIFY(refresh.isFinished());
        QVERIFY(h.storage->operations().isEmpty());
        QCOMPARE(h.view(), expected);
        if (signOut) {
            QCOMPARE(h.clock->pendingSleepCount(), 0);
        }
    }

    void undecodableItemNeedsSignOut()
    {
        Harness h;
        const ServiceError decoding = AuthSession::decode("{\"tokens\":").error();
        h.storage->putUndecodableItem(decoding);

        h.activate();
        const View recovery{Phase::Recovery, decoding.text()};
        QCOMPARE(h.view(), recovery);
        h.store.retry();
        settle();
        QCOMPARE(h.view(), recovery);
        QCOMPARE(h.storage->loadCount(), 2);

        h.store.signOut();
        settle();
        QCOMPARE(h.view(), View());
        QVERIFY(!h.storage->hasItem());
        QVERIFY(h.client->calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(AuthStoreTest)

#include "tst_authstore.moc"
