#pragma once

#include "historybook.h"
#include "router.h"

namespace Tolvan {

// The account's history: pages, single entries, deletion and clearing.
class HistoryRoutes {
public:
    static constexpr qint64 largestPageSize = 100;

    explicit HistoryRoutes(HistoryBook &history);

    void install(Router &router);

private:
    HttpReply list(const HttpRequest &request) const;
    HttpReply entry(const HttpRequest &request) const;
    HttpReply remove(const HttpRequest &request);
    HttpReply clear(const HttpRequest &request);

    HistoryBook &m_history;
};

} // namespace Tolvan
