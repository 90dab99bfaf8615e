#pragma once

#include "translationlanguage.h"

namespace Tolvan {

struct LanguagesResponse {
    QList<TranslationLanguage> languages;

    static Result<LanguagesResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        LanguagesResponse answer{.languages = fields.list<TranslationLanguage>("languages")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
