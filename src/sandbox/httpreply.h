#pragma once

#include <QByteArray>
#include <QString>

#include <nlohmann/json_fwd.hpp>

namespace Tolvan {

// What a handler answers: a status with a body, or a dropped connection.
struct HttpReply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    // Close the connection without answering.
    bool drop = false;

    static HttpReply json(int status, const nlohmann::json &body);
    static HttpReply empty(int status);
    // The service's error body: {"error":{"code":…,"detail":…}}.
    static HttpReply error(int status, const char *code, const QString &detail);
    static nlohmann::json errorBody(const char *code, const QString &detail);
    static HttpReply html(int status, const QString &page);
    static HttpReply raw(int status, QByteArray body);
    static HttpReply dropped();
};

} // namespace Tolvan
