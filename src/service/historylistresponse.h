#pragma once

#include "historyentry.h"
#include "historypagination.h"

namespace Tolvan {

// One page of history, in the server's order.
struct HistoryListResponse {
    QList<HistoryEntry> history;
    HistoryPagination pagination;

    static Result<HistoryListResponse> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        HistoryListResponse page{
            .history = fields.list<HistoryEntry>("history"),
            .pagination = fields.record<HistoryPagination>("pagination"),
        };
        return fields.finish(std::move(page));
    }

    bool operator==(const HistoryListResponse &) const = default;
};

} // namespace Tolvan
