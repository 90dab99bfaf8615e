#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct BillingCheckoutResponse {
    QUrl checkoutURL;

    static Result<BillingCheckoutResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        BillingCheckoutResponse answer{.checkoutURL = fields.url("checkout_url")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
