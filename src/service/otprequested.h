#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct OTPRequested {
    QString status;

    static Result<OTPRequested> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        OTPRequested answer{.status = fields.string("status")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
