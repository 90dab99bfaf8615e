#include "historyentry.h"

#include "jsonfields.h"

namespace Tolvan {

Result<HistoryEntry> HistoryEntry::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    HistoryEntry entry{
        .id = fields.integer("id"),
        .type = fields.enumeration<HistoryKind>("type"),
        .source = fields.string("source"),
        .result = fields.string("result"),
        .sourceLanguage = fields.optionalString("source_language"),
        .targetLanguage = fields.optionalString("target_language"),
        .insertedAt = fields.date("inserted_at"),
    };
    return fields.finish(std::move(entry));
}

} // namespace Tolvan
