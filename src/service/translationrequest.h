#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace Tolvan {

struct TranslationRequest {
    QString text;
    QString sourceLanguage;
    QString targetLanguage;

    nlohmann::json toJson() const
    {
        return {
            {"text", text.toStdString()},
            {"source_language", sourceLanguage.toStdString()},
            {"target_language", targetLanguage.toStdString()},
        };
    }

    bool operator==(const TranslationRequest &) const = default;
};

} // namespace Tolvan
