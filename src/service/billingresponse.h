#pragma once

#include "billingplan.h"
#include "billingsubscription.h"
#include "jsonfields.h"

namespace Tolvan {

struct BillingResponse {
    BillingSubscription subscription;
    QList<BillingPlan> plans;

    static Result<BillingResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        BillingResponse answer{
            .subscription = fields.record<BillingSubscription>("subscription"),
            .plans = fields.list<BillingPlan>("plans"),
        };
        return fields.finish(std::move(answer));
    }

    bool operator==(const BillingResponse &) const = default;
};

} // namespace Tolvan
