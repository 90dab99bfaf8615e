#include "billingsubscription.h"

#include "jsonfields.h"

namespace Tolvan {

bool BillingSubscription::isTrialing() const
{
    return status == QLatin1String("trialing") && trialEnd.has_value();
}

Result<BillingSubscription> BillingSubscription::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    BillingSubscription subscription{
        .status = fields.string("status"),
        .plan = fields.optionalEnumeration<BillingPlanID>("plan"),
        .recurringInterval = fields.optionalString("recurring_interval"),
        .currentPeriodEnd = fields.optionalDate("current_period_end"),
        .trialEnd = fields.optionalDate("trial_end"),
        .cancelAtPeriodEnd = fields.boolean("cancel_at_period_end"),
        .lastSyncedAt = fields.optionalDate("last_synced_at"),
        .entitled = fields.boolean("entitled"),
    };
    return fields.finish(std::move(subscription));
}

} // namespace Tolvan
