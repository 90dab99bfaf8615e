#include "router.h"

namespace Tolvan {

namespace {

const QString placeholder = QStringLiteral("{}");

QStringList segmentsOf(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

} // namespace

Router::Router(Authoriser authoriser)
    : m_authoriser(std::move(authoriser))
{
}

void Router::add(const QByteArray &method, const QString &pattern, Access access,
                 ImmediateHandler handler)
{
    addAsync(method, pattern, access, [handler = std::move(handler)](HttpRequest request) {
        return ready(handler(request));
    });
}

void Router::addAsync(const QByteArray &method, const QString &pattern, Access access,
                      Handler handler)
{
    m_routes.append({method, segmentsOf(pattern), access, std::move(handler)});
}

bool Router::matches(const Route &route, const QStringList &segments, QStringList *arguments)
{
    if (route.segments.size() != segments.size()) {
        return false;
    }
    arguments->clear();
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (route.segments[i] == placeholder) {
            arguments->append(segments[i]);
        } else if (route.segments[i] != segments[i]) {
            return false;
        }
    }
    return true;
}

QCoro::Task<HttpReply> Router::dispatch(HttpRequest request) const
{
    const QStringList segments = segmentsOf(request.path);
    bool pathKnown = false;
    for (const Route &route : m_routes) {
        if (!matches(route, segments, &request.pathArguments)) {
            continue;
        }
        pathKnown = true;
        if (route.method != request.method) {
            continue;
        }
        if (route.access == Access::Bearer) {
            auto verdict = m_authoriser(request);
            if (auto *refusal = std::get_if<HttpReply>(&verdict)) {
                return ready(std::move(*refusal));
            }
            request.account = std::get<qint64>(verdict);
        }
        return route.handler(std::move(request));
    }
    const QString target = QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path;
    if (pathKnown) {
        return ready(HttpReply::error(405, "method_not_allowed",
                                      QStringLiteral("%1 is not supported.").arg(target)));
    }
    return ready(
        HttpReply::error(404, "not_found", QStringLiteral("No route for %1.").arg(target)));
}

QCoro::Task<HttpReply> Router::ready(HttpReply reply)
{
    co_return reply;
}

} // namespace Tolvan
