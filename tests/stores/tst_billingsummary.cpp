#include "billingsummary.h"

#include <QTest>

using namespace Tolvan;

namespace {

const QDateTime trialEnd(QDate(2025, 3, 8), QTime(12, 0), QTimeZone::utc());
const QDateTime periodEnd(QDate(2025, 3, 31), QTime(12, 0), QTimeZone::utc());

BillingPlan monthly()
{
    return BillingPlan{
        .id = BillingPlanID::Monthly,
        .name = QStringLiteral("Pro Monthly"),
        .amountMinor = 999,
        .currency = QStringLiteral("USD"),
        .recurringInterval = QStringLiteral("month"),
        .trialInterval = QStringLiteral("day"),
        .trialIntervalCount = 7,
    };
}

} // namespace

class BillingSummaryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void subscriptionBlock_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("hasResponse");
        QTest::addColumn<bool>("loading");
        QTest::addColumn<bool>("entitled");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<bool>("hasTrialEnd");
        QTest::addColumn<bool>("hasPeriodEnd");
        QTest::addColumn<bool>("cancelAtPeriodEnd");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("statusText");

        const QString pro = QStringLiteral("Tolvan Pro");
        const QString free = QStringLiteral("Tolvan Free");
        QTest::newRow("signed out")
            << false << true << false << true << "active"
            << "monthly" << false << true << false << pro << "Sign in to manage your subscription";
        QTest::newRow("loading") << true << false << true << false << ""
                                 << "" << false << false << false << pro << "Loading subscription…";
        QTest::newRow("unavailable")
            << true << false << false << false << ""
            << "" << false << false << false << pro << "Subscription status unavailable";
        QTest::newRow("trial") << true << true << false << true << "trialing"
                               << "monthly" << true << true << false << "Pro Monthly"
                               << "Free trial ends Mar 8, 2025";
        QTest::newRow("trial without end renews")
            << true << true << false << true << "trialing"
            << "monthly" << false << true << false << "Pro Monthly"
            << "Renews Mar 31, 2025";
        QTest::newRow("plan not offered")
            << true << true << false << true << "active"
            << "annual" << false << true << true << pro << "Access ends Mar 31, 2025";
        QTest::newRow("ended") << true << true << false << false << "canceled"
                               << "monthly" << false << true << true << free
                               << "Subscription ended Mar 31, 2025";
        QTest::newRow("free") << true << true << false << false << "none"
                              << "" << false << true << false << free
                              << "Upgrade to translate and improve text";
    }

    void subscriptionBlock()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, hasResponse);
        QFETCH(bool, loading);
        QFETCH(bool, entitled);
        QFETCH(QString, status);
        QFETCH(QString, plan);
        QFETCH(bool, hasTrialEnd);
        QFETCH(bool, hasPeriodEnd);
        QFETCH(bool, cancelAtPeriodEnd);
        QFETCH(QString, title);
        QFETCH(QString, statusText);
        std::optional<BillingResponse> response;
        if (hasResponse) {
            BillingSubscription subscription;
            subscription.status = status;
            subscription.plan = fromRawValue<BillingPlanID>(plan);
            subscription.entitled = entitled;
            subscription.cancelAtPeriodEnd = cancelAtPeriodEnd;
            if (hasTrialEnd) {
                subscription.trialEnd = trialEnd;
            }
            if (hasPeriodEnd) {
                subscription.currentPeriodEnd = periodEnd;
            }
            response = BillingResponse{.subscription = subscription, .plans = {monthly()}};
        }

        QCOMPARE(BillingSummary::planTitle(signedIn, response), title);
        QCOMPARE(BillingSummary::statusText(signedIn, response, loading, QTimeZone::utc()),
                 statusText);
    }

    void checkoutRow_data()
    {
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("buttonTitle");
        QTest::newRow("offered") << true << false
                                 << "Then $9.99 per month. Checkout opens in your browser."
                                 << "Start 7-day free trial";
        QTest::newRow("running") << true << true
                                 << "Then $9.99 per month. Checkout opens in your browser."
                                 << "Opening…";
        QTest::newRow("not offered") << false << false << "Checkout opens securely in your browser."
                                     << "Continue to checkout";
    }

    void checkoutRow()
    {
        QFETCH(bool, offered);
        QFETCH(bool, running);
        QFETCH(QString, note);
        QFETCH(QString, buttonTitle);
        const auto plan = offered ? std::optional(monthly()) : std::nullopt;

        QCOMPARE(BillingSummary::checkoutNote(plan), note);
        QCOMPARE(BillingSummary::checkoutButtonTitle(running, plan), buttonTitle);
    }
};

QTEST_GUILESS_MAIN(BillingSummaryTest)
#include "tst_billingsummary.moc"
