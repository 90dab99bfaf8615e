#pragma once

#include "result.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QUrlQuery>

#include <nlohmann/json.hpp>

namespace Tolvan {

// One request as the handlers see it: a copy that outlives the connection's
// own request object while an answer is being prepared.
struct HttpRequest {
    QByteArray method;
    // Decoded, with its leading slash.
    QString path;
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QHostAddress peer;
    // The path segments that matched a route's placeholders, in order.
    QStringList pathArguments;
    // The account of the bearer token, on authorised routes.
    qint64 account = 0;

    QByteArray header(const QByteArray &name) const;
    QString queryValue(const QString &key) const;
    Result<nlohmann::json> jsonBody() const;
};

} // namespace Tolvan
