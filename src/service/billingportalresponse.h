#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct BillingPortalResponse {
    QUrl portalURL;

    static Result<BillingPortalResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        BillingPortalResponse answer{.portalURL = fields.url("portal_url")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
