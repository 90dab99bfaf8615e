#pragma once

#include "httpreply.h"
#include "httprequest.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <variant>

namespace Tolvan {

// Finds the handler for a method and a path. Patterns are paths whose "{}"
// segments match any one segment; authorised routes run only for a request
// whose bearer token the authoriser accepts.
class Router {
public:
    using Handler = std::function<QCoro::Task<HttpReply>(HttpRequest)>;
    using ImmediateHandler = std::function<HttpReply(const HttpRequest &)>;
    // The account of the request's bearer token, or the refusal to send.
    using Authoriser = std::function<std::variant<qint64, HttpReply>(const HttpRequest &)>;
    enum class Access { Public, Bearer };

    explicit Router(Authoriser authoriser);

    void add(const QByteArray &method, const QString &pattern, Access access,
             ImmediateHandler handler);
    void addAsync(const QByteArray &method, const QString &pattern, Access access, Handler handler);
    QCoro::Task<HttpReply> dispatch(HttpRequest request) const;

    // An answer that is ready at once, for handlers that need not wait.
    static QCoro::Task<HttpReply> ready(HttpReply reply);

private:
    struct Route {
        QByteArray method;
        QStringList segments;
        Access access;
        Handler handler;
    };

    static bool matches(const Route &route, const QStringList &segments, QStringList *arguments);

    Authoriser m_authoriser;
    QList<Route> m_routes;
};

} // namespace Tolvan
