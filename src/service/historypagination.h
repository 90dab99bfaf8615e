#pragma once

#include "jsonfields.h"

namespace Tolvan {

struct HistoryPagination {
    qint64 page = 0;
    qint64 pageSize = 0;
    qint64 totalCount = 0;
    qint64 totalPages = 0;

    static Result<HistoryPagination> fromJson(const nlohmann::json &json)
    {
        JsonFields fields(json);
        HistoryPagination pagination{
            .page = fields.integer("page"),
            .pageSize = fields.integer("page_size"),
            .totalCount = fields.integer("total_count"),
            .totalPages = fields.integer("total_pages"),
        };
        return fields.finish(std::move(pagination));
    }

    bool operator==(const HistoryPagination &) const = default;
};

} // namespace Tolvan
