#include "apiclient.h"
#include "authstore.h"
#include "awaittask.h"
#include "billingstore.h"
#include "fakecredentialstorage.h"
#include "historystore.h"
#include "manualclock.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"
#include "systemclock.h"

#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;
using Test::awaitTask;

namespace {

constexpr int answerLimitMs = 10'000;

QCoro::Task<bool> finished(QCoro::Task<> task)
{
    co_await std::move(task);
    co_return true;
}

class RecordingURLOpener : public URLOpener {
public:
    QList<QUrl> opened;

    bool openURL(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
};

QStringList sources(const QList<HistoryEntry> &entries)
{
    QStringList texts;
    for (const HistoryEntry &entry : entries) {
        texts.append(entry.source);
    }
    return texts;
}

} // namespace

// The history and billing stores against tolvan-sandbox. The session runs on
// real time; the stores' debounce and polling run on a manual clock.
class HistoryBillingIntegrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_control = std::make_unique<Test::SandboxControl>(m_sandbox.baseURL(),
                                                           m_sandbox.certificatePath());
    }

    void init()
    {
        m_client = std::make_shared<APIClient>(m_sandbox.baseURL());
        m_clock = std::make_shared<Test::ManualClock>();
        m_auth =
            std::make_unique<AuthStore>(m_client, std::make_shared<Test::FakeCredentialStorage>(),
                                        std::make_shared<SystemClock>());
    }

    void cleanup() { m_auth.reset(); }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }

    void historyPagesSearchesFiltersDeletesAndClears()
    {
        HistoryStore store(m_auth.get(), m_client, m_clock);
        signIn(QStringLiteral("history-store@example.com"));
        m_control->setSubscription(
            {{"email", "history-store@example.com"}, {"status", "active"}, {"plan", "monthly"}});
        const QString token = m_auth->session()->tokens.accessToken;
        for (int i = 0; i < 23; ++i) {
            QVERIFY(awaitTask(m_client->improve(QStringLiteral("draft %1").arg(i), token)));
        }

        store.reload(false, false);
        QVERIFY(listSettles(store));
        QCOMPARE(store.entries().size(), 20);
        QCOMPARE(store.entries().first().source, QStringLiteral("draft 22"));
        QCOMPARE(store.totalPages(), 2);
        QVERIFY(store.canLoadMore());
        store.loadMore();
        QVERIFY(listSettles(store));
        QCOMPARE(store.entries().size(), 23);
        QVERIFY(!store.canLoadMore());

        // "draft 1" and "draft 10" to "draft 19".
        store.setSearch(QStringLiteral("DRAFT 1"));
        m_clock->advance(HistoryStore::searchDebounce);
        QVERIFY(listSettles(store));
        QCOMPARE(store.entries().size(), 11);
        store.setFilter(HistoryKind::Translation);
        QVERIFY(listSettles(store));
        QVERIFY(store.entries().isEmpty());
        QCOMPARE(store.emptyTitle(), QStringLiteral("No matching entries"));
        store.setFilter(HistoryKind::Writing);
        QVERIFY(listSettles(store));
        QCOMPARE(store.entries().size(), 11);

        const HistoryEntry deleted = store.entries().first();
        store.deleteEntry(deleted.idText());
        QVERIFY(actionSettles(store));
        QVERIFY(listSettles(store));
        QCOMPARE(store.entries().size(), 10);
        QVERIFY(!sources(store.entries()).contains(deleted.source));

        // Deleted elsewhere first: the server answers 404 and the row goes quietly.
        const HistoryEntry gone = store.entries().first();
        QVERIFY(awaitTask(m_client->deleteHistoryEntry(gone.id, token)).isOk());
        store.deleteEntry(gone.idText());
        QVERIFY(actionSettles(store));
        QVERIFY(listSettles(store));
        QCOMPARE(store.actionMessage(), std::nullopt);
        QCOMPARE(store.entries().size(), 9);

        store.clearAll();
        QVERIFY(QTest::qWaitFor([&] { return !store.isClearing(); }, answerLimitMs));
        QCOMPARE(store.actionMessage(), std::nullopt);
        QVERIFY(store.entries().isEmpty());
        QCOMPARE(store.search(), QString());
        QCOMPARE(store.filter(), std::nullopt);
        store.reload(false, false);
        QVERIFY(listSettles(store));
        QVERIFY(store.entries().isEmpty());
        QCOMPARE(store.emptyTitle(), QStringLiteral("No history yet"));
    }

    void subscriptionRequiredThenCheckoutTrialAndEntitlement()
    {
        const auto opener = std::make_shared<RecordingURLOpener>();
        BillingStore store(m_auth.get(), opener, m_client, m_clock);
        signIn(QStringLiteral("billing-store@example.com"));
        const auto refused = awaitTask(
            m_client->improve(QStringLiteral("a draft"), m_auth->session()->tokens.accessToken));
        QCOMPARE(refused.error().kind(), ServiceError::Kind::SubscriptionRequired);

        store.presentPlans(refused.error().billingURL());
        QCOMPARE(store.fallbackBillingURL(), std::optional(refused.error().billingURL()));
        const CancellationToken sheetClosed;
        const auto polling = store.pollWhilePresentingPlans(sheetClosed);
        QVERIFY(QTest::qWaitFor([&] { return store.hasResponse(); }, answerLimitMs));
        QVERIFY(!store.isEntitled());
        QCOMPARE(store.settingsControl(), BillingStore::SettingsControl::ViewPlans);
        QCOMPARE(store.selectedPlan(), BillingPlanID::Annual);
        QVERIFY(store.plan(BillingPlanID::Monthly));

        store.startCheckout();
        QVERIFY(QTest::qWaitFor([&] { return !store.hasActiveAction(); }, answerLimitMs));
        QCOMPARE(store.message(), std::nullopt);
        QCOMPARE(opener->opened.size(), 1);
        QVERIFY(APIClient::isSafeBillingURL(opener->opened.first()));
        QVERIFY(store.isPresentingPlans());

        // The person in the browser starts the trial on the checkout page.
        QVERIFY(m_control->startTrial(opener->opened.first(), QStringLiteral("annual")));
        QVERIFY(QTest::qWaitFor([&] { return m_clock->pendingSleepCount() == 1; }, answerLimitMs));
        m_clock->advance(BillingStore::pollInterval);
        QVERIFY(QTest::qWaitFor([&] { return !store.isPresentingPlans(); }, answerLimitMs));
        QVERIFY(store.isEntitled());
        QVERIFY(store.subscription().isTrialing());
        QCOMPARE(store.subscription().plan, BillingPlanID::Annual);
        QCOMPARE(store.planTitle(), store.plan(BillingPlanID::Annual)->name);
        QCOMPARE(store.settingsControl(), BillingStore::SettingsControl::Manage);

        store.openPortal();
        QVERIFY(QTest::qWaitFor([&] { return !store.hasActiveAction(); }, answerLimitMs));
        QCOMPARE(store.message(), std::nullopt);
        QCOMPARE(opener->opened.size(), 2);
    }

private:
    void signIn(const QString &email)
    {
        awaitTask(finished(m_auth->handleWindowActivation()));
        awaitTask(finished(m_auth->requestCode(email)));
        awaitTask(finished(m_auth->verifyCode(m_sandbox.awaitCode(email))));
        QCOMPARE(m_auth->phase(), AuthStore::Phase::Authenticated);
    }

    static bool listSettles(const HistoryStore &store)
    {
        return QTest::qWaitFor([&] { return !store.isLoading(); }, answerLimitMs) &&
               !store.hasMessage();
    }

    static bool actionSettles(const HistoryStore &store)
    {
        return QTest::qWaitFor([&] { return !store.actionID(); }, answerLimitMs);
    }

    Test::SandboxProcess m_sandbox;
    std::unique_ptr<Test::SandboxControl> m_control;
    std::shared_ptr<APIClient> m_client;
    std::shared_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<AuthStore> m_auth;
};

QTEST_GUILESS_MAIN(HistoryBillingIntegrationTest)
#include "tst_historybillingintegration.moc"
