#include "historyroutes.h"

#include "wireencoder.h"

namespace Tolvan {

namespace {

// A whole number in [lowest, highest] from the query, `fallback` when absent.
std::optional<qint64> boundedNumber(const HttpRequest &request, const QString &key, qint64 fallback,
                                    qint64 lowest, qint64 highest)
{
    if (!request.query.hasQueryItem(key)) {
        return fallback;
    }
    bool ok = false;
    const qint64 value = request.queryValue(key).toLongLong(&ok);
    if (!ok || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> entryId(const HttpRequest &request)
{
    bool ok = false;
    const qint64 id = request.pathArguments.value(0).toLongLong(&ok);
    return ok ? std::optional(id) : std::nullopt;
}

HttpReply missingEntry()
{
    return HttpReply::error(404, "not_found", QStringLiteral("The history entry does not exist."));
}

} // namespace

HistoryRoutes::HistoryRoutes(HistoryBook &history)
    : m_history(history)
{
}

void HistoryRoutes::install(Router &router)
{
    using Access = Router::Access;
    router.add("GET", QStringLiteral("/api/history"), Access::Bearer,
               [this](const HttpRequest &request) { return list(request); });
    router.add("DELETE", QStringLiteral("/api/history"), Access::Bearer,
               [this](const HttpRequest &request) { return clear(request); });
    router.add("GET", QStringLiteral("/api/history/{}"), Access::Bearer,
               [this](const HttpRequest &request) { return entry(request); });
    router.add("DELETE", QStringLiteral("/api/history/{}"), Access::Bearer,
               [this](const HttpRequest &request) { return remove(request); });
}

HttpReply HistoryRoutes::list(const HttpRequest &request) const
{
    HistoryBook::Query query;
    const auto page = boundedNumber(request, QStringLiteral("page"), 1, 1, 1'000'000'000);
    const auto pageSize = boundedNumber(request, QStringLiteral("page_size"),
                                        HistoryBook::defaultPageSize, 1, largestPageSize);
    if (!page || !pageSize) {
        return HttpReply::error(422, "invalid_page",
                                QStringLiteral("page must be 1 or more and page_size from 1 to %1.")
                                    .arg(largestPageSize));
    }
    query.page = *page;
    query.pageSize = *pageSize;
    const QString type = request.queryValue(QStringLiteral("type"));
    if (!type.isEmpty()) {
        query.type = fromRawValue<HistoryKind>(type);
        if (!query.type) {
            return HttpReply::error(422, "invalid_type",
                                    QStringLiteral("type must be translation or writing."));
        }
    }
    query.search = request.queryValue(QStringLiteral("search"));

    const HistoryBook::Page found = m_history.page(request.account, query);
    nlohmann::json entries = nlohmann::json::array();
    for (const HistoryEntry &entry : found.entries) {
        entries.push_back(WireEncoder::entry(entry));
    }
    return HttpReply::json(
        200, {{"history", entries}, {"pagination", WireEncoder::pagination(found.pagination)}});
}

HttpReply HistoryRoutes::entry(const HttpRequest &request) const
{
    const auto id = entryId(request);
    const auto found = id ? m_history.entry(request.account, *id) : std::nullopt;
    if (!found) {
        return missingEntry();
    }
    return HttpReply::json(200, {{"history", WireEncoder::entry(*found)}});
}

HttpReply HistoryRoutes::remove(const HttpRequest &request)
{
    const auto id = entryId(request);
    if (!id || !m_history.remove(request.account, *id)) {
        return missingEntry();
    }
    return HttpReply::empty(204);
}

HttpReply HistoryRoutes::clear(const HttpRequest &request)
{
    m_history.clear(request.account);
    return HttpReply::empty(204);
}

} // namespace Tolvan
