#pragma once

#include "authapierror.h"

namespace Tolvan {

// The body of a 402 that asks for a subscription: the error and where to get one.
struct BillingErrorEnvelope {
    AuthAPIError error;
    QUrl billingURL;

    static Result<BillingErrorEnvelope> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        BillingErrorEnvelope envelope{
            .error = fields.record<AuthAPIError>("error"),
            .billingURL = fields.url("billing_url"),
        };
        return fields.finish(std::move(envelope));
    }
};

} // namespace Tolvan
