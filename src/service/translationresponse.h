#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct TranslationResponse {
    QString translation;

    static Result<TranslationResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        TranslationResponse answer{.translation = fields.string("translation")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
