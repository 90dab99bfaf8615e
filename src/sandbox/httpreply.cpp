#include "httpreply.h"

#include <nlohmann/json.hpp>

namespace Tolvan {

HttpReply HttpReply::json(int status, const nlohmann::json &body)
{
    return {.status = status,
            .contentType = "application/json",
            .body = QByteArray::fromStdString(body.dump())};
}

HttpReply HttpReply::empty(int status)
{
    return {.status = status};
}

HttpReply HttpReply::error(int status, const char *code, const QString &detail)
{
    return json(status, errorBody(code, detail));
}

nlohmann::json HttpReply::errorBody(const char *code, const QString &detail)
{
    return {{"error", {{"code", code}, {"detail", detail.toStdString()}}}};
}

HttpReply HttpReply::html(int status, const QString &page)
{
    return {.status = status, .contentType = "text/html; charset=utf-8", .body = page.toUtf8()};
}

HttpReply HttpReply::raw(int status, QByteArray body)
{
    // Injected bodies are meant for a JSON client, whatever they hold.
    return {.status = status, .contentType = "application/json", .body = std::move(body)};
}

HttpReply HttpReply::dropped()
{
    return {.drop = true};
}

} // namespace Tolvan
