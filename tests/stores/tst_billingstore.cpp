#include "accountfixture.h"
#include "billingstore.h"
#include "billingsummary.h"
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
const QDateTime trialEnd(QDate(2025, 3, 8), QTime(12, 0), QTimeZone::utc());
const QDateTime periodEnd(QDate(2025, 3, 31), QTime(12, 0), QTimeZone::utc());

BillingPlan plan(BillingPlanID id)
{
    const bool annual = id == BillingPlanID::Annual;
    return BillingPlan{
        .id = id,
        .name = annual ? QStringLiteral("Pro Annual") : QStringLiteral("Pro Monthly"),
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

// A signed-in store over a fake client, a recording browser and the manual
// clock.
struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    std::shared_ptr<RecordingURLOpener> opener = std::make_shared<RecordingURLOpener>();
    BillingStore store{&account.auth, opener, client, account.clock};

    Harness() { account.signIn(); }

    void load(const BillingResponse &loaded)
    {
        client->answer<Op::FetchBilling>(loaded);
        store.load(true);
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
    }

    void planSheetFollowsTheLoads()
    {
        using Body = BillingStore::PlanSheetBody;
        Harness h;
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);
        h.store.load(false);
        QCOMPARE(h.store.planSheetBody(), Body::LoadingPlans);
        const ServiceError unavailable =
            ServiceError::response(ErrorFamily::Billing, 503, QStringLiteral("Unavailable."));
        h.client->answer<Op::FetchBilling>(unavailable);
        settle();
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);
        h.load(billing({}));
        QCOMPARE(h.store.planSheetBody(), Body::PlansUnavailable);
        h.load(billing(bothPlans));
        QCOMPARE(h.store.planSheetBody(), Body::PlanList);

        // A reload keeps the plans on screen; a failed one keeps them too.
        QSignalSpy responses(&h.store, &BillingStore::responseChanged);
        h.load(billing(bothPlans));
        h.store.load(true);
        QCOMPARE(h.store.planSheetBody(), Body::PlanList);
        h.client->answer<Op::FetchBilling>(unavailable);
        settle();
        QCOMPARE(h.store.message(), unavailable.text());
        QCOMPARE(h.store.response(), billing(bothPlans));
        QCOMPARE(responses.count(), 0);
    }

    void planReconciliation_data()
    {
        QTest::addColumn<BillingPlanID>("selected");
        QTest::addColumn<QList<BillingPlanID>>("offered");
        QTest::addColumn<BillingPlanID>("expected");
        const auto monthly = BillingPlanID::Monthly;
        const auto annual = BillingPlanID::Annual;
        QTest::newRow("monthly only moves to monthly") << annual << QList{monthly} << monthly;
        QTest::newRow("offered monthly is kept") << monthly << bothPlans << monthly;
        QTest::newRow("no plans means annual") << monthly << QList<BillingPlanID>() << annual;
        // QML may write any number to the selection; one no plan has moves to
        // annual, not to the first plan offered.
        QTest::newRow("unknown selection moves to annual")
            << BillingPlanID(2) << bothPlans << annual;
    }

    void planReconciliation()
    {
        QFETCH(BillingPlanID, selected);
        QFETCH(QList<BillingPlanID>, offered);
        QFETCH(BillingPlanID, expected);
        Harness h;
        h.store.setSelectedPlan(selected);
        h.load(billing(offered));
        QCOMPARE(h.store.selectedPlan(), expected);
    }

    void presentPlansKeepsOnlySafeLinks()
    {
        const QUrl safe(QStringLiteral("https://billing.example.org/plans"));
        Harness h;
        h.store.presentPlans(QUrl(QStringLiteral("http://billing.example.org/plans")));
        settle();
        QVERIFY(h.store.isPresentingPlans());
        QVERIFY(!h.store.hasFallbackBillingURL());
        // Nothing was loaded yet, so the sheet loads.
        QCOMPARE(h.client->calls(), (QList{Call{Op::FetchBilling, {token}}}));

        h.store.presentPlans(safe);
        h.store.openBillingWebsite();
        QCOMPARE(h.store.fallbackBillingURL(), std::optional(safe));
        QCOMPARE(h.opener->opened, QList{safe});

        h.store.dismissPlans();
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(!h.store.hasFallbackBillingURL());
        h.client->cancelPending();
        settle();
    }

    void checkoutWaitsForThePortal()
    {
        Harness h;
        h.load(billing(bothPlans));
        h.store.openPortal();
        settle();
        h.store.startCheckout();
        settle();
        QVERIFY(h.client->calls(Op::CreateCheckout).isEmpty());
        QCOMPARE(h.store.activeAction(), std::optional(Action::Portal));
        QCOMPARE(h.store.manageButtonTitle(), QStringLiteral("Opening…"));
        QVERIFY(!h.store.canStartCheckout());

        h.client->answer<Op::CreatePortal>(portalURL);
        settle();
        h.client->answer<Op::CreateCheckout>(checkoutURL);
        h.store.startCheckout();
        QCOMPARE(h.store.checkoutButtonTitle(), QStringLiteral("Opening…"));
        settle();
        QCOMPARE(h.client->calls(Op::CreateCheckout),
                 (QList{Call{Op::CreateCheckout, {QStringLiteral("annual"), token}}}));
        QCOMPARE(h.opener->opened, (QList{portalURL, checkoutURL}));
        QCOMPARE(h.store.activeAction(), std::nullopt);
    }

    void pollingStops_data()
    {
        QTest::addColumn<bool>("entitled");
        QTest::newRow("entitled") << true;
        QTest::newRow("sheet dismissed") << false;
    }

    void pollingStops()
    {
        QFETCH(bool, entitled);
        Harness h;
        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        h.store.presentPlans();
        settle();
        TaskProbe polling(h.store.pollWhilePresentingPlans(CancellationToken()));
        h.client->answer<Op::FetchBilling>(billing(bothPlans));
        h.account.clock->advance(3s);
        settle();
        QCOMPARE(h.client->calls(Op::FetchBilling).size(), 2);
        QVERIFY(h.store.isPresentingPlans());
        QVERIFY(!polling.isFinished());

        if (!entitled) {
            h.store.dismissPlans();
        }
        h.client->answer<Op::FetchBilling>(billing(bothPlans, entitled));
        h.account.clock->advance(3s);
        settle();
        QCOMPARE(h.client->calls(Op::FetchBilling).size(), 3);
        QCOMPARE(h.store.isEntitled(), entitled);
        QCOMPARE(h.store.settingsControl(), entitled ? BillingStore::SettingsControl::Manage
                                                     : BillingStore::SettingsControl::ViewPlans);
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(polling.isFinished());
        QCOMPARE(h.account.clock->requestedSleeps().count(3s), 2);
    }

    void failedBillingPagesAreReported()
    {
        Harness h;
        h.opener->succeeds = false;
        h.client->answer<Op::CreatePortal>(portalURL);
        h.store.openPortal();
        settle();
        QCOMPARE(h.store.messageText(),
                 QStringLiteral("The billing page could not be opened. Please try again."));
        QCOMPARE(h.store.activeAction(), std::nullopt);

        // The client refuses an unsafe link; the browser never sees it.
        h.client->answer<Op::CreatePortal>(ServiceError::unsafeURL());
        h.store.openPortal();
        settle();
        QCOMPARE(h.store.messageText(), ServiceError::unsafeURL().text());
        QCOMPARE(h.opener->opened, QList{portalURL});
    }

    void accountChangeResetsEverything()
    {
        Harness h;
        h.load(billing({BillingPlanID::Monthly}));
        h.store.presentPlans(QUrl(QStringLiteral("https://billing.example.org/plans")));
        QCOMPARE(h.store.selectedPlan(), BillingPlanID::Monthly);

        h.account.signOut();

        QVERIFY(!h.store.hasResponse());
        QVERIFY(!h.store.isPresentingPlans());
        QVERIFY(!h.store.hasFallbackBillingURL());
        QCOMPARE(h.store.selectedPlan(), BillingPlanID::Annual);
        // Signed out, a load ends at once without a request.
        TaskProbe loading(h.store.load(true));
        QVERIFY(loading.isFinished());
        QVERIFY(!h.store.isLoading());
        QCOMPARE(h.client->calls().size(), 1);
    }

    void subscriptionBlock_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("loading");
        QTest::addColumn<std::optional<BillingSubscription>>("subscription");
        // The block's title and status line.
        QTest::addColumn<QStringList>("shown");
        const auto subscription = [](const char *status, std::optional<BillingPlanID> plan,
                                     bool trialEnds, bool cancelAtPeriodEnd) {
            BillingSubscription held;
            held.status = QString::fromLatin1(status);
            held.plan = plan;
            held.entitled =
                held.status == QLatin1String("active") || held.status == QLatin1String("trialing");
            held.cancelAtPeriodEnd = cancelAtPeriodEnd;
            held.trialEnd = trialEnds ? std::optional(trialEnd) : std::nullopt;
            held.currentPeriodEnd = periodEnd;
            return std::optional(held);
        };
        const auto monthly = BillingPlanID::Monthly;
        const QString pro = QStringLiteral("Tolvan Pro");
        const QString free = QStringLiteral("Tolvan Free");
        const QString monthlyName = QStringLiteral("Pro Monthly");

        QTest::newRow("signed out")
            << false << false << subscription("active", monthly, false, false)
            << QStringList{pro, "Sign in to manage your subscription"};
        QTest::newRow("loading") << true << true << std::optional<BillingSubscription>()
                                 << QStringList{pro, "Loading subscription…"};
        QTest::newRow("unavailable") << true << false << std::optional<BillingSubscription>()
                                     << QStringList{pro, "Subscription status unavailable"};
        QTest::newRow("trial") << true << false << subscription("trialing", monthly, true, false)
                               << QStringList{monthlyName, "Free trial ends Mar 8, 2025"};
        QTest::newRow("trial without end renews")
            << true << false << subscription("trialing", monthly, false, false)
            << QStringList{monthlyName, "Renews Mar 31, 2025"};
        QTest::newRow("plan not offered")
            << true << false << subscription("active", BillingPlanID::Annual, false, true)
            << QStringList{pro, "Access ends Mar 31, 2025"};
        QTest::newRow("ended") << true << false << subscription("canceled", monthly, false, true)
                               << QStringList{free, "Subscription ended Mar 31, 2025"};
        QTest::newRow("free") << true << false << subscription("none", std::nullopt, false, false)
                              << QStringList{free, "Upgrade to translate and improve text"};
    }

    void subscriptionBlock()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, loading);
        QFETCH(std::optional<BillingSubscription>, subscription);
        QFETCH(QStringList, shown);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        std::optional<BillingResponse> response;
        if (subscription) {
            response = BillingResponse{.subscription = *subscription,
                                       .plans = {plan(BillingPlanID::Monthly)}};
        }

        QCOMPARE((QStringList{
                     BillingSummary::planTitle(signedIn, response),
                     BillingSummary::statusText(signedIn, response, loading, QTimeZone::utc())}),
                 shown);
    }

    // The status and checkout texts are made when first read; from then on
    // the store keeps them current and announces each change.
    void readTextsFollowTheStore()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Harness h;
        const QString unloaded = h.store.statusText();
        QCOMPARE(h.store.checkoutNote(), BillingSummary::checkoutNote(std::nullopt));
        QSignalSpy status(&h.store, &BillingStore::statusTextChanged);
        QSignalSpy note(&h.store, &BillingStore::checkoutNoteChanged);
        h.load(billing(bothPlans));
        h.store.setSelectedPlan(BillingPlanID::Monthly);
        QVERIFY(!status.isEmpty());
        QCOMPARE(h.store.statusText(), BillingSummary::statusText(true, billing(bothPlans), false));
        QVERIFY(h.store.statusText() != unloaded);
        QCOMPARE(note.count(), 2);
        QCOMPARE(h.store.checkoutNote(),
                 BillingSummary::checkoutNote(plan(BillingPlanID::Monthly)));
    }

    void checkoutRow()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const auto monthly = std::optional(plan(BillingPlanID::Monthly));
        QCOMPARE(BillingSummary::checkoutNote(monthly),
                 QStringLiteral("Then $9.99 per month. Checkout opens in your browser."));
        QCOMPARE(BillingSummary::checkoutButtonTitle(false, monthly),
                 QStringLiteral("Start 7-day free trial"));
        QCOMPARE(BillingSummary::checkoutNote(std::nullopt),
                 QStringLiteral("Checkout opens securely in your browser."));
        QCOMPARE(BillingSummary::checkoutButtonTitle(false, std::nullopt),
                 QStringLiteral("Continue to checkout"));
    }
};

QTEST_GUILESS_MAIN(BillingStoreTest)
#include "tst_billingstore.moc"
