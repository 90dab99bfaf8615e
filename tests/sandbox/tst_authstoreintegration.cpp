#include "apiclient.h"
#include "authstore.h"
#include "awaittask.h"
#include "fakecredentialstorage.h"
#include "sandboxprocess.h"
#include "systemclock.h"

#include <QTest>

using namespace Tolvan;
using Test::awaitTask;

namespace {

QCoro::Task<bool> finished(QCoro::Task<> task)
{
    co_await std::move(task);
    co_return true;
}

// Runs the event loop until the store's operation is over.
void run(QCoro::Task<> task)
{
    awaitTask(finished(std::move(task)));
}

} // namespace

// AuthStore signing in against tolvan-sandbox, whose access tokens live two
// seconds: always within the refresh margin, so every check refreshes first.
class AuthStoreIntegrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString())); }

    void signInAndRefreshFirst()
    {
        auto client = std::make_shared<APIClient>(m_sandbox.baseURL());
        auto storage = std::make_shared<Test::FakeCredentialStorage>();
        AuthStore store(client, storage, std::make_shared<SystemClock>());
        run(store.handleWindowActivation());
        QCOMPARE(store.phase(), AuthStore::Phase::SignedOut);

        const QString email = QStringLiteral("store@example.com");
        run(store.requestCode(email));
        QVERIFY(store.codeSent());
        run(store.verifyCode(m_sandbox.awaitCode(email)));
        QCOMPARE(store.phase(), AuthStore::Phase::Authenticated);
        QVERIFY(store.session());
        const TokenPair signedIn = store.session()->tokens;
        QCOMPARE(signedIn.expiresIn, 2);
        QCOMPARE(signedIn.user.email, email);

        run(store.refreshIfNeeded());
        QCOMPARE(store.phase(), AuthStore::Phase::Authenticated);
        const TokenPair refreshed = store.session()->tokens;
        QVERIFY(refreshed.accessToken != signedIn.accessToken);
        QCOMPARE(refreshed.user, signedIn.user);
        QCOMPARE(storage->storedSession()->tokens, refreshed);
        // The rotated-out token is refused, the new one taken.
        QCOMPARE(awaitTask(client->fetchLanguages(signedIn.accessToken)).error().status(), 401);
        QVERIFY(awaitTask(client->fetchLanguages(refreshed.accessToken)));
    }

private:
    Test::SandboxProcess m_sandbox{{QStringLiteral("--access-ttl"), QStringLiteral("2")}};
};

QTEST_GUILESS_MAIN(AuthStoreIntegrationTest)
#include "tst_authstoreintegration.moc"
