#pragma once

#include "historyentry.h"
#include "jsonfields.h"

namespace Tolvan {

struct HistoryResponse {
    HistoryEntry history;

    static Result<HistoryResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        HistoryResponse answer{.history = fields.record<HistoryEntry>("history")};
        return fields.finish(std::move(answer));
    }
};

} // namespace Tolvan
