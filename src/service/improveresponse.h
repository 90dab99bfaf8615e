#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct ImproveResponse {
    QString improvedText;

    static Result<ImproveResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        ImproveResponse answer{.improvedText = fields.string("improved_text")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
