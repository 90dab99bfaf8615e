#include "accountfixture.h"
#include "apiclient.h"
#include "awaittask.h"
#include "billingstore.h"
#include "historystore.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"
#include "systemclock.h"
#include "translationstore.h"
#include "writingstore.h"

#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;

namespace {

QCoro::Task<bool> finished(QCoro::Task<> task)
{
    co_await std::move(task);
    co_return true;
}

bool waitFor(const std::function<bool()> &done)
{
    return QTest::qWaitFor(done, 10'000);
}

} // namespace

// The stores against tolvan-sandbox, over loopback. The session runs on real
// time; the stores' debounce and polling run on a manual clock.
class StoresIntegrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_control =
            std::make_unique<SandboxControl>(m_sandbox.baseURL(), m_sandbox.certificatePath());
    }

    void init()
    {
        m_client = std::make_shared<APIClient>(m_sandbox.baseURL());
        m_clock = std::make_shared<ManualClock>();
        m_auth = std::make_unique<AuthStore>(m_client, std::make_shared<FakeCredentialStorage>(),
                                             std::make_shared<SystemClock>());
    }

    void cleanup()
    {
        m_auth.reset();
        // The cancelled refresh timer ends on a later turn of the event loop.
        settle();
    }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }

    void translatesAndImprovesOnceSubscribed()
    {
        TranslationStore translation(m_auth.get(), m_client);
        WritingStore writing(m_auth.get(), m_client);
        const QString email = QStringLiteral("workspaces@example.com");
        signIn(email);

        translation.loadLanguages(false);
        QVERIFY(waitFor([&] { return !translation.isLoadingLanguages(); }));
        QVERIFY2(!translation.languageMessage(), qPrintable(translation.languageMessageText()));
        QCOMPARE(translation.source()->code, QStringLiteral("en"));
        translation.setTarget(translation.language(QStringLiteral("es")));
        QVERIFY(!translation.hasUnavailableSelection());

        // A new account has no subscription: the service offers its plans.
        translation.setText(QStringLiteral("Hello world."));
        translation.translate();
        QVERIFY(waitFor([&] { return !translation.isBusy(); }));
        QVERIFY(APIClient::isSafeBillingURL(translation.billingURLValue()));

        subscribe(email, "monthly");
        translation.translate();
        QVERIFY(waitFor([&] { return !translation.isBusy(); }));
        QVERIFY2(translation.result().startsWith(QStringLiteral("Hola")),
                 qPrintable(translation.messageText()));

        const QString draft = QStringLiteral("this is a  draft with teh mistake");
        writing.setText(draft);
        writing.improve();
        QVERIFY(waitFor([&] { return !writing.isBusy(); }));
        QVERIFY2(!writing.result().trimmed().isEmpty(), qPrintable(writing.messageText()));
        QVERIFY(writing.result() != draft);
    }

    void historyPagesSearchesDeletesAndClears()
    {
        HistoryStore store(m_auth.get(), m_client, m_clock);
        signIn(QStringLiteral("history-store@example.com"));
        subscribe(QStringLiteral("history-store@example.com"), "monthly");
        const QString token = m_auth->session()->tokens.accessToken;
        for (int i = 0; i < 23; ++i) {
            QVERIFY(awaitTask(m_client->improve(QStringLiteral("draft %1").arg(i), token)));
        }
        const auto listSettles = [&store] {
            return waitFor([&store] { return !store.isLoading(); }) && !store.hasMessage();
        };

        store.reload(false, false);
        QVERIFY(listSettles());
        QCOMPARE(store.entries().size(), 20);
        QCOMPARE(store.entries().first().source, QStringLiteral("draft 22"));
        store.loadMore();
        QVERIFY(listSettles());
        QCOMPARE(store.entries().size(), 23);
        QVERIFY(!store.canLoadMore());

        // "draft 1" and "draft 10" to "draft 19".
        store.setSearch(QStringLiteral("DRAFT 1"));
        m_clock->advance(HistoryStore::searchDebounce);
        QVERIFY(listSettles());
        QCOMPARE(store.entries().size(), 11);
        store.setFilter(HistoryKind::Translation);
        QVERIFY(listSettles());
        QVERIFY(store.entries().isEmpty());
        store.setFilter(HistoryKind::Writing);
        QVERIFY(listSettles());
        QCOMPARE(store.entries().size(), 11);

        // Deleted elsewhere first: the server answers 404 and the row goes quietly.
        const HistoryEntry gone = store.entries().first();
        QVERIFY(awaitTask(m_client->deleteHistoryEntry(gone.id, token)).isOk());
        store.deleteEntry(gone.idText());
        QVERIFY(waitFor([&] { return !store.actionID(); }));
        QVERIFY(listSettles());
        QCOMPARE(store.actionMessage(), std::nullopt);
        QCOMPARE(store.entries().size(), 10);

        store.clearAll();
        QVERIFY(waitFor([&] { return !store.isClearing(); }));
        QCOMPARE(store.actionMessage(), std::nullopt);
        store.reload(false, false);
        QVERIFY(listSettles());
        QVERIFY(store.entries().isEmpty());
    }

    void checkoutTrialAndEntitlement()
    {
        const auto opener = std::make_shared<RecordingURLOpener>();
        BillingStore store(m_auth.get(), opener, m_client, m_clock);
        signIn(QStringLiteral("billing-store@example.com"));
        const auto refused = awaitTask(
            m_client->improve(QStringLiteral("a draft"), m_auth->session()->tokens.accessToken));
        QCOMPARE(refused.error().kind(), ServiceError::Kind::SubscriptionRequired);

        store.presentPlans(refused.error().billingURL());
        QCOMPARE(store.fallbackBillingURL(), std::optional(refused.error().billingURL()));
        const auto polling = store.pollWhilePresentingPlans(CancellationToken());
        QVERIFY(waitFor([&] { return store.hasResponse(); }));
        QCOMPARE(store.settingsControl(), BillingStore::SettingsControl::ViewPlans);
        QCOMPARE(store.selectedPlan(), BillingPlanID::Annual);

        store.startCheckout();
        QVERIFY(waitFor([&] { return !store.hasActiveAction(); }));
        QCOMPARE(opener->opened.size(), 1);
        QVERIFY(APIClient::isSafeBillingURL(opener->opened.first()));

        // The person in the browser starts the trial on the checkout page.
        QVERIFY(m_control->startTrial(opener->opened.first(), QStringLiteral("annual")));
        QVERIFY(waitFor([&] { return m_clock->pendingSleepCount() == 1; }));
        m_clock->advance(BillingStore::pollInterval);
        QVERIFY(waitFor([&] { return !store.isPresentingPlans(); }));
        QVERIFY(store.subscription().isTrialing());
        QCOMPARE(store.planTitle(), store.plan(BillingPlanID::Annual)->name);
        QCOMPARE(store.settingsControl(), BillingStore::SettingsControl::Manage);

        store.openPortal();
        QVERIFY(waitFor([&] { return !store.hasActiveAction(); }));
        QCOMPARE(store.message(), std::nullopt);
        QCOMPARE(opener->opened.size(), 2);
    }

private:
    // Signs in with the code the sandbox logs.
    void signIn(const QString &email)
    {
        awaitTask(finished(m_auth->handleWindowActivation()));
        awaitTask(finished(m_auth->requestCode(email)));
        awaitTask(finished(m_auth->verifyCode(m_sandbox.awaitCode(email))));
        QCOMPARE(m_auth->phase(), AuthStore::Phase::Authenticated);
    }

    void subscribe(const QString &email, const char *plan)
    {
        const auto answer = m_control->setSubscription(
            {{"email", email.toStdString()}, {"status", "active"}, {"plan", plan}});
        QCOMPARE(answer.status, 200);
    }

    SandboxProcess m_sandbox;
    std::unique_ptr<SandboxControl> m_control;
    std::shared_ptr<APIClient> m_client;
    std::shared_ptr<ManualClock> m_clock;
    std::unique_ptr<AuthStore> m_auth;
};

QTEST_GUILESS_MAIN(StoresIntegrationTest)
#include "tst_storesintegration.moc"
