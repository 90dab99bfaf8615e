#include "accountfixture.h"
#include "billingstore.h"
#include "taskprobe.h"

#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using Action = BillingStore::Action;

namespace {

const QString token = QStringLiteral("access-7");
const QUrl checkoutURL(QStringLiteral("https://pay.example.org/checkout/1"));
const QUrl portalURL(QStringLiteral("https://pay.example.org/portal/1"));

class RecordingURLOpener : public URLOpener {
public:
    bool succeeds = true;
    QList<QUrl> opened;

    bool openURL(const QUrl &url) override
    {
        opened.append(url);
        return succeeds;
    }
};

BillingPlan plan(BillingPlanID id)
{
    const bool annual = id == BillingPlanID::Annual;
    return BillingPlan{
        .id = id,
        .name = annual ? QStringLiteral("Annual") : QStringLiteral("Monthly"),
        .amountMinor = annual ? 9999 : 999,
        .currency = QStringLiteral("USD"),
        .recurringInterval = annual ? QStringLiteral("year") : QStringLiteral("month"),
        .trialInterval = QStringLiteral("day"),
        .trialIntervalCount = 7,
    };
}

BillingResponse billing(const QList<BillingPlanID> &offered, bool entitled = false)
{
    BillingResponse answer;
    answer.subscription.status = entitled ? QStringLiteral("active") : QStringLiteral("none");
    answer.subscription.entitled = entitled;
    for (const BillingPlanID id : offered) {
        answer.plans.append(plan(id));
    }
    return answer;
}

const QList<BillingPlanID> bothPlans{BillingPlanID::Monthly, BillingPlanID::Annual};

struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    std::shared_ptr<RecordingURLOpener> opener = std::make_shared<RecordingURLOpener>();
    BillingStore store{&account.auth, opener, client, account.clock};

    // Signed in with `loaded` held.
    void signInHolding(const BillingResponse &loaded)
    {
        account.signIn();
        client->answer<Op::FetchBilling>(loaded);
        store.load(false);
        settle();
    }
};

} // namespace

class BillingStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void concurrentLoadsSendOneRequest()
    {
        Harness h;
        h.account.signIn();
        TaskProbe first(h.store.load(false));
        TaskProbe second(h.store.load(true));
        settle();
        QCOMPARE(h.client->calls(), (QList{Call{Op::FetchBilling, {token}}}));
        QVERIFY(h.store.isLoading());
        QVERIFY(!first.isFinished());
        QVERIFY(!second.isFinished());

        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        settle();
        QVERIFY(first.isFinished());
        QVERIFY(second.isFinished());
        QCOMPARE(h.store.response(), std::optional(billing(bothPlans)));
        QVERIFY(!h.store.isLoading());

        // Already loaded.
        TaskProbe third(h.store.load(false));
        QVERIFY(third.isFinished());
        QCOMPARE(h.client->calls().size(), 1);
    }

    void loadFinishingForAnotherAccountChangesNothing()
    {
        Harness h;
        h.account.signIn();
        TaskProbe loading(h.store.load(false));
        settle();
        h.client->hold(Op::FetchBilling);
        h.client->answer<Op::FetchBilling>(billing(bothPlans, true));

        h.account.switchAccount(8);
        h.client->release(Op::FetchBilling);
        settle();

        QVERIFY(h.client->wasCancelled(0));
        QVERIFY(loading.isFinished());
        QVERIFY(!h.store.hasResponse());
        QVERIFY(!h.store.isLoading());
        QCOMPARE(h.store.message(), std::nullopt);
    }

    void signedOutLoadDoesNothing()
    {
        Harness h;
        h.account.startSignedOut();
        TaskProbe loading(h.store.load(true));
        TaskProbe refreshing(h.store.refresh());

        QVERIFY(loading.isFinished());
        QVERIFY(refreshing.isFinished());
        QVERIFY(!h.store.isLoading());
        QVERIFY(h.client->calls().isEmpty());
    }

    void planSheetBody()
    {
        using Body = BillingStore::PlanSheetBody;
        Harness h;
        h.account.signIn();
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);

        // A call without a queued answer waits for one.
        h.store.load(false);
        settle();
        QCOMPARE(h.store.planSheetBody(), Body::LoadingPlans);
        h.client->answer<Op::FetchBilling>(
            ServiceError::response(ErrorFamily::Billing, 503, QStringLiteral("Unavailable.")));
        settle();
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);

        h.client->answer<Op::FetchBilling>(billing({}));
        h.store.load(true);
        settle();
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);

        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        h.store.load(true);
        settle();
        QCOMPARE(h.store.planSheetBody(), Body::PlanList);
        // A reload keeps the plans on screen.
        h.store.load(true);
        settle();
        QVERIFY(h.store.isLoading());
        QCOMPARE(h.store.planSheetBody(), Body::PlanList);
        h.client->cancelPending();
        settle();
    }

    void reloadNotifiesOnlyOnChangeAndKeepsResponseOnFailure()
    {
        Harness h;
        h.signInHolding(billing(bothPlans));
        QSignalSpy responseSpy(&h.store, &BillingStore::responseChanged);

        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        h.store.refresh();
        settle();
        QCOMPARE(h.client->calls().size(), 2);
        QCOMPARE(responseSpy.count(), 0);

        const QString unavailable =
            QStringLiteral("Billing is unavailable (HTTP 503). Please try again.");
        h.client->answer<Op::FetchBilling>(
            ServiceError::response(ErrorFamily::Billing, 503, unavailable));
        h.store.refresh();
        settle();
        QCOMPARE(h.store.message(), std::optional(unavailable));
        QCOMPARE(h.store.response(), std::optional(billing(bothPlans)));
        QCOMPARE(responseSpy.count(), 0);
    }

    void planReconciliation_data()
    {
        QTest::addColumn<BillingPlanID>("selected");
        QTest::addColumn<QList<BillingPlanID>>("offered");
        QTest::addColumn<BillingPlanID>("expected");
        QTest::newRow("monthly only moves to monthly")
            << BillingPlanID::Annual << QList{BillingPlanID::Monthly} << BillingPlanID::Monthly;
        QTest::newRow("offered monthly is kept")
            << BillingPlanID::Monthly << bothPlans << BillingPlanID::Monthly;
        QTest::newRow("annual only moves to annual")
            << BillingPlanID::Monthly << QList{BillingPlanID::Annual} << BillingPlanID::Annual;
        QTest::newRow("no plans means annual")
            << BillingPlanID::Monthly << QList<BillingPlanID>() << BillingPlanID::Annual;
    }

    void planReconciliation()
    {
        QFETCH(BillingPlanID, selected);
        QFETCH(QList<BillingPlanID>, offered);
        QFETCH(BillingPlanID, expected);
        Harness h;
        h.account.signIn();
        h.store.setSelectedPlan(selected);
        h.client->answer<Op::FetchBilling>(billing(offered));
        h.store.load(false);
        settle();
        QCOMPARE(h.store.selectedPlan(), expected);
    }

    void presentPlansKeepsOnlySafeLinks_data()
    {
        QTest::addColumn<QUrl>("billingURL");
        QTest::addColumn<bool>("kept");
        QTest::newRow("http") << QUrl(QStringLiteral("http://billing.example.org/plans")) << false;
        QTest::newRow("https in capitals")
            << QUrl(QStringLiteral("HTTPS://billing.example.org/plans")) << true;
        QTest::newRow("no host") << QUrl(QStringLiteral("https:/plans")) << false;
        QTest::newRow("none") << QUrl() << false;
    }

    void presentPlansKeepsOnlySafeLinks()
    {
        QFETCH(QUrl, billingURL);
        QFETCH(bool, kept);
        Harness h;
        h.account.signIn();

        h.store.presentPlans(billingURL);
        settle();

        QVERIFY(h.store.isPresentingPlans());
        QCOMPARE(h.store.hasFallbackBillingURL(), kept);
        QCOMPARE(h.store.fallbackBillingURL(), kept ? std::optional(billingURL) : std::nullopt);
        // Nothing was loaded yet, so the sheet loads.
        QCOMPARE(h.client->calls(), (QList{Call{Op::FetchBilling, {token}}}));

        h.store.dismissPlans();
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(!h.store.hasFallbackBillingURL());
    }

    void checkoutWaitsWhilePortalRuns()
    {
        Harness h;
        h.signInHolding(billing(bothPlans));

        h.store.openPortal();
        settle();
        h.store.startCheckout();
        settle();

        QCOMPARE(h.client->calls(Op::CreateCheckout), QList<Call>());
        QCOMPARE(h.store.activeAction(), std::optional(Action::Portal));
        QCOMPARE(h.store.manageButtonTitle(), QStringLiteral("Opening…"));
        QVERIFY(!h.store.canStartCheckout());
    }

    void pollingClosesTheSheetOnceEntitled()
    {
        Harness h;
        h.account.signIn();
        h.store.presentPlans();
        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        settle();
        const CancellationToken sheetClosed;
        TaskProbe polling(h.store.pollWhilePresentingPlans(sheetClosed));
        settle();

        h.client->answer<Op::CreateCheckout>(checkoutURL);
        h.store.startCheckout();
        QCOMPARE(h.store.checkoutButtonTitle(), QStringLiteral("Opening…"));
        settle();
        QCOMPARE(h.client->calls(Op::CreateCheckout),
                 (QList{Call{Op::CreateCheckout, {QStringLiteral("annual"), token}}}));
        QCOMPARE(h.opener->opened, QList{checkoutURL});
        QCOMPARE(h.store.activeAction(), std::nullopt);
        QVERIFY(h.store.isPresentingPlans());

        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        h.account.clock->advance(3s);
        settle();
        QCOMPARE(h.client->calls(Op::FetchBilling).size(), 2);
        QVERIFY(h.store.isPresentingPlans());
        QVERIFY(!polling.isFinished());

        h.client->answer<Op::FetchBilling>(billing(bothPlans, true));
        h.account.clock->advance(3s);
        settle();
        QCOMPARE(h.client->calls(Op::FetchBilling).size(), 3);
        QVERIFY(h.store.isEntitled());
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(polling.isFinished());
        QCOMPARE(h.account.clock->requestedSleeps().count(3s), 2);
    }

    void billingActionOutcomes_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("unsafeLink");
        QTest::addColumn<bool>("browserOpens");
        QTest::addColumn<QString>("message");
        QTest::newRow("opened") << true << false << true << QString();
        QTest::newRow("browser fails")
            << true << false << false
            << QStringLiteral("The billing page could not be opened. Please try again.");
        QTest::newRow("unsafe link")
            << true << true << true
            << QStringLiteral("The billing service returned an unsafe link. Please try again.");
        QTest::newRow("signed out")
            << false << false << true << QStringLiteral("Please sign in again to manage billing.");
    }

    void billingActionOutcomes()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, unsafeLink);
        QFETCH(bool, browserOpens);
        QFETCH(QString, message);
        Harness h;
        if (signedIn) {
            h.account.signIn();
        } else {
            h.account.startSignedOut();
        }
        h.opener->succeeds = browserOpens;
        h.client->answer<Op::CreatePortal>(unsafeLink ? Result<QUrl>(ServiceError::unsafeURL())
                                                      : Result<QUrl>(portalURL));

        h.store.openPortal();
        settle();

        QCOMPARE(h.store.messageText(), message);
        QCOMPARE(h.store.activeAction(), std::nullopt);
        QCOMPARE(h.opener->opened, signedIn && !unsafeLink ? QList{portalURL} : QList<QUrl>());
    }

    void accountChangeResetsEverything()
    {
        Harness h;
        h.signInHolding(billing({BillingPlanID::Monthly}));
        h.store.presentPlans(QUrl(QStringLiteral("https://billing.example.org/plans")));
        h.store.openPortal();
        settle();
        QCOMPARE(h.store.selectedPlan(), BillingPlanID::Monthly);

        h.account.signOut();
        h.client->answer<Op::CreatePortal>(portalURL);
        settle();

        QVERIFY(!h.store.hasResponse());
        QVERIFY(!h.store.isLoading());
        QCOMPARE(h.store.activeAction(), std::nullopt);
        QCOMPARE(h.store.message(), std::nullopt);
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(!h.store.hasFallbackBillingURL());
        QCOMPARE(h.store.selectedPlan(), BillingPlanID::Annual);
        // The previous account's portal is never opened.
        QVERIFY(h.opener->opened.isEmpty());
    }
};

QTEST_GUILESS_MAIN(BillingStoreTest)
#include "tst_billingstore.moc"
