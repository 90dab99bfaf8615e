#include "billingsummary.h"

#include "abbreviateddateformat.h"

#include <algorithm>

namespace Tolvan {

namespace {

const QString proTitle = QStringLiteral("Tolvan Pro");
const QString openingTitle = QStringLiteral("Opening…");

QString dayOf(const QDateTime &moment, const QTimeZone &timeZone)
{
    return AbbreviatedDateFormat::format(moment.toTimeZone(timeZone).date());
}

} // namespace

QString BillingSummary::planTitle(bool isSignedIn, const std::optional<BillingResponse> &response)
{
    if (!isSignedIn || !response) {
        return proTitle;
    }
    const BillingSubscription &subscription = response->subscription;
    if (!subscription.entitled) {
        return QStringLiteral("Tolvan Free");
    }
    const auto plan =
        std::find_if(response->plans.cbegin(), response->plans.cend(),
                     [&](const BillingPlan &offered) { return subscription.plan == offered.id; });
    return plan != response->plans.cend() ? plan->name : proTitle;
}

QString BillingSummary::statusText(bool isSignedIn, const std::optional<BillingResponse> &response,
                                   bool isLoading, const QTimeZone &timeZone)
{
    if (!isSignedIn) {
        return QStringLiteral("Sign in to manage your subscription");
    }
    if (!response) {
        return isLoading ? QStringLiteral("Loading subscription…")
                         : QStringLiteral("Subscription status unavailable");
    }
    const BillingSubscription &subscription = response->subscription;
    const auto &periodEnd = subscription.currentPeriodEnd;
    if (subscription.entitled) {
        if (subscription.isTrialing() && subscription.trialEnd) {
            return QStringLiteral("Free trial ends ") + dayOf(*subscription.trialEnd, timeZone);
        }
        if (periodEnd) {
            return (subscription.cancelAtPeriodEnd ? QStringLiteral("Access ends ")
                                                   : QStringLiteral("Renews ")) +
                   dayOf(*periodEnd, timeZone);
        }
    } else if (subscription.cancelAtPeriodEnd && periodEnd) {
        return QStringLiteral("Subscription ended ") + dayOf(*periodEnd, timeZone);
    }
    return QStringLiteral("Upgrade to translate and improve text");
}

QString BillingSummary::priceLine(const BillingPlan &plan)
{
    const QString interval = plan.recurringInterval == QLatin1String("year")
                                 ? QStringLiteral("year")
                                 : QStringLiteral("month");
    return plan.formattedPrice() + QStringLiteral(" per ") + interval;
}

QString BillingSummary::checkoutNote(const std::optional<BillingPlan> &plan)
{
    if (!plan) {
        return QStringLiteral("Checkout opens securely in your browser.");
    }
    return QStringLiteral("Then ") + priceLine(*plan) +
           QStringLiteral(". Checkout opens in your browser.");
}

QString BillingSummary::checkoutButtonTitle(bool isCheckoutRunning,
                                            const std::optional<BillingPlan> &plan)
{
    if (isCheckoutRunning) {
        return openingTitle;
    }
    return plan ? QStringLiteral("Start ") + plan->trialDescription()
                : QStringLiteral("Continue to checkout");
}

QString BillingSummary::manageButtonTitle(bool isPortalRunning)
{
    return isPortalRunning ? openingTitle : QStringLiteral("Manage");
}

} // namespace Tolvan
