#pragma once

#include "authapierror.h"

namespace Tolvan {

struct AuthErrorEnvelope {
    AuthAPIError error;

    static Result<AuthErrorEnvelope> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        AuthErrorEnvelope envelope{.error = fields.record<AuthAPIError>("error")};
        return fields.finish(std::move(envelope));
    }
};

} // namespace Tolvan
