#pragma once

#include "jsonfields.h"

namespace Tolvan {

// The error object inside an error body; as an error, its text is its detail.
struct AuthAPIError {
    QString code;
    QString detail;

    static Result<AuthAPIError> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        AuthAPIError error{.code = fields.string("code"), .detail = fields.string("detail")};
        return fields.finish(std::move(error));
    }
};

} // namespace Tolvan
