#pragma once

#include "jsonfields.h"

#include <QObject>

namespace Tolvan {

struct TranslationLanguage {
    Q_GADGET
    Q_PROPERTY(QString code MEMBER code CONSTANT)
    Q_PROPERTY(QString name MEMBER name CONSTANT)
public:
    // Also its identity in lists.
    QString code;
    QString name;

    static Result<TranslationLanguage> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        TranslationLanguage language{.code = fields.string("code"), .name = fields.string("name")};
        return fields.finish(std::move(language));
    }

    bool operator==(const TranslationLanguage &) const = default;
};

} // namespace Tolvan
